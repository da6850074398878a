#pragma once

#include <QString>
#include <stdexcept>

namespace kelvarin {

// An error raised below a command ("Cannot open file %s", "Invalid data type
// for '%s'", ...). Commands do not catch it themselves: every entry point
// (menu action, button, tick, CLI action) catches it and shows its message.
class KelvarinError : public std::runtime_error
{
public:
    explicit KelvarinError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &Message() const { return m_message; }

private:
    QString m_message;
};

} // namespace kelvarin
