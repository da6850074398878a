#pragma once

#include <QString>

namespace kelvarin {

enum class MessageIcon { None, Error, Warning, Question, Information };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// Every message box and question of the program goes through this seam.
class Prompter
{
public:
    virtual ~Prompter() = default;
    virtual MessageAnswer Ask(const QString &text, const QString &title, MessageIcon icon,
                              MessageButtons buttons,
                              MessageAnswer defaultAnswer = MessageAnswer::Ok) = 0;

    // Conveniences for the three usual boxes, title "Kelvarin" unless given.
    void Error(const QString &text, const QString &title = QStringLiteral("Kelvarin"))
    {
        Ask(text, title, MessageIcon::Error, MessageButtons::Ok);
    }
    void Plain(const QString &text, const QString &title = QStringLiteral("Kelvarin"))
    {
        Ask(text, title, MessageIcon::None, MessageButtons::Ok);
    }
    bool Confirm(const QString &text, const QString &title = QStringLiteral("Kelvarin"))
    {
        return Ask(text, title, MessageIcon::Warning, MessageButtons::YesNo, MessageAnswer::Yes)
            == MessageAnswer::Yes;
    }
};

} // namespace kelvarin
