#pragma once

#include "platform/Prompter.h"

#include <QTextStream>

namespace kelvarin {

// Message boxes for a headless run: each becomes one line "Kelvarin: " + text
// on the error stream (line breaks as one blank); a question is answered No
// unless the run was told to answer Yes.
class StreamPrompter : public Prompter
{
public:
    StreamPrompter(QTextStream &err, bool answerYes);

    MessageAnswer Ask(const QString &text, const QString &title, MessageIcon icon,
                      MessageButtons buttons, MessageAnswer defaultAnswer) override;

    // Writes a line of the program's own (not a message box).
    void Say(const QString &text);
    bool ErrorShown() const { return m_errorShown; }
    void NoteError() { m_errorShown = true; }

    static QString OneLine(const QString &text);

private:
    QTextStream &m_err;
    bool m_answerYes;
    bool m_errorShown = false;
};

} // namespace kelvarin
