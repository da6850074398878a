#include "tools/gui/ExecuteErrorBox.h"

#include "platform/gui/DialogOwner.h"
#include "tools/ExecuteErrorText.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace kelvarin {

TExecuteErrorBox::TExecuteErrorBox(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ExecuteErrorBox"));
    setWindowTitle(QStringLiteral("Execution error"));
    // A title bar without close, minimise or maximise buttons.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);
    setSizeGripEnabled(true);
    setMinimumSize(MinimumWidth, MinimumHeight);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);

    m_errorMemo = new QPlainTextEdit(this);
    m_errorMemo->setObjectName(QStringLiteral("ErrorMemo"));
    m_errorMemo->setReadOnly(true);
    m_errorMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_errorMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    layout->addWidget(m_errorMemo, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_closeButton = new QPushButton(QStringLiteral("&Close"), this);
    m_closeButton->setObjectName(QStringLiteral("CloseButton"));
    m_closeButton->setDefault(true);
    buttons->addWidget(m_closeButton);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    // Esc rejects a QDialog on its own, so Close is the cancel button too.
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::accept);

    resize(400, 150);
}

void TExecuteErrorBox::ShowError(int code, const QString &target)
{
    const QString text = ExecuteErrorText(code, target);
    if (text.isEmpty())
        return;
    // The texts break lines the Windows way; the memo wants plain line feeds.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_errorMemo->setPlainText(shown);
    m_closeButton->setFocus();
    // In front of every window of ours, the ones that stay on top included.
    InFrontScope inFront(*this, parentWidget());
    CenterOnScreen();
    RunModal();
}

int TExecuteErrorBox::RunModal()
{
    return exec();
}

void TExecuteErrorBox::CenterOnScreen()
{
    QScreen *target = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!target)
        return;
    QRect frame = geometry();
    frame.moveCenter(target->availableGeometry().center());
    move(frame.topLeft());
}

} // namespace kelvarin
