#include "app/gui/AboutBox.h"

#include "KelvarinVersion.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace kelvarin {

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Kelvarin"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                   | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setModal(false);
    setFixedSize(467, 325);

    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setReadOnly(true);
    m_memo->setFrameStyle(QFrame::NoFrame);
    QPalette pal = m_memo->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    pal.setColor(QPalette::Text, pal.color(QPalette::ButtonText));
    m_memo->setPalette(pal);
    m_memo->setPlainText(QStringList{
        QStringLiteral("Kelvarin version " KELVARIN_VERSION),
        QString(),
        QStringLiteral("Hit the 'Read default packages' menu item, and save the state as the "),
        QStringLiteral("default. This will speed up the next loading process by 3000%!"),
        QString(),
        QStringLiteral("Kelvarin shows the UnrealScript classes of an Unreal Tournament"),
        QStringLiteral("installation as a class tree and as a package tree."),
        QStringLiteral("Hold Ctrl while it starts to skip the saved options, the window"),
        QStringLiteral("layout and the default state."),
    }.join(QLatin1Char('\n')));

    auto *close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    close->setDefault(true);
    close->setAutoDefault(true);
    // Esc rejects the dialog, which hides it like the button does.
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_memo, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    buttons->addStretch(1);
    layout->addLayout(buttons);
}

QString TAboutBox::Text() const
{
    return m_memo->toPlainText();
}

void TAboutBox::showEvent(QShowEvent *event)
{
    if (!m_centred) {
        m_centred = true;
        if (QScreen *screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    QDialog::showEvent(event);
}

} // namespace kelvarin
