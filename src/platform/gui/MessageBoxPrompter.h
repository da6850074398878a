#pragma once

#include "platform/Prompter.h"

#include <QPointer>

class QWidget;

namespace kelvarin {

// Asks through a modal QMessageBox. The box is parented to the window given
// (or to the active window when none is set) so it stays above the program.
class MessageBoxPrompter : public Prompter
{
public:
    explicit MessageBoxPrompter(QWidget *parent = nullptr);
    void SetParent(QWidget *parent);

    MessageAnswer Ask(const QString &text, const QString &title, MessageIcon icon,
                      MessageButtons buttons,
                      MessageAnswer defaultAnswer = MessageAnswer::Ok) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace kelvarin
