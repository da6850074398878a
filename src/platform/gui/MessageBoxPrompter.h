#pragma once

#include "platform/Prompter.h"

#include <QPointer>

class QWidget;

namespace kelvarin {

// Asks through a modal QMessageBox, owned by the window DialogOwner chooses:
// a shown window of ours that stays on top, else the active window of ours,
// else the window given here.
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
