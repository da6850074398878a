#pragma once

#include "platform/Prompter.h"

#include <QList>
#include <QString>

namespace kelvarin::test {

// Records every message box and answers questions from a script (Yes unless
// told otherwise).
class ScriptedPrompter : public Prompter
{
public:
    struct Shown
    {
        QString text;
        QString title;
        MessageIcon icon;
        MessageButtons buttons;
    };

    MessageAnswer Ask(const QString &text, const QString &title, MessageIcon icon,
                      MessageButtons buttons, MessageAnswer defaultAnswer) override
    {
        Q_UNUSED(defaultAnswer);
        shown.append(Shown{text, title, icon, buttons});
        if (buttons == MessageButtons::Ok)
            return MessageAnswer::Ok;
        if (!answers.isEmpty())
            return answers.takeFirst();
        return defaultYes ? MessageAnswer::Yes : MessageAnswer::No;
    }

    QStringList Texts() const
    {
        QStringList texts;
        for (const Shown &s : shown)
            texts.append(s.text);
        return texts;
    }

    QList<Shown> shown;
    QList<MessageAnswer> answers;
    bool defaultYes = true;
};

} // namespace kelvarin::test
