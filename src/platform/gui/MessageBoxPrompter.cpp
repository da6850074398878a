#include "platform/gui/MessageBoxPrompter.h"

#include "platform/gui/DialogOwner.h"

#include <QMessageBox>
#include <QPushButton>

namespace kelvarin {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageBoxPrompter::MessageBoxPrompter(QWidget *parent)
    : m_parent(parent)
{
}

void MessageBoxPrompter::SetParent(QWidget *parent)
{
    m_parent = parent;
}

MessageAnswer MessageBoxPrompter::Ask(const QString &text, const QString &title,
                                      MessageIcon icon, MessageButtons buttons,
                                      MessageAnswer defaultAnswer)
{
    // Owned by a window of ours that is shown (one that stays on top first),
    // so the box opens in front of them all and can be reached; with none
    // shown it is centred on the screen.
    QWidget *owner = DialogOwner(m_parent);
    QMessageBox box(BoxIcon(icon), title, text, QMessageBox::NoButton, owner);
    if (StaysOnTop(owner))
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.setTextFormat(Qt::PlainText);
    if (buttons == MessageButtons::YesNo) {
        QPushButton *yes = box.addButton(QMessageBox::Yes);
        QPushButton *no = box.addButton(QMessageBox::No);
        box.setDefaultButton(defaultAnswer == MessageAnswer::No ? no : yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    QPushButton *ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return MessageAnswer::Ok;
}

} // namespace kelvarin
