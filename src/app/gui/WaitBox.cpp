#include "app/gui/WaitBox.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace kelvarin {

TWaitBox::TWaitBox(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("WaitBox"));
    setWindowTitle(QStringLiteral("Kelvarin starting"));
    setFixedSize(250, 250);
    setCursor(Qt::WaitCursor);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    bevel->setLineWidth(2);
    bevel->setAutoFillBackground(true);
    outer->addWidget(bevel);

    // The picture: the program's name on a dark field.
    QPalette pal = bevel->palette();
    pal.setColor(QPalette::Window, QColor(28, 36, 60));
    pal.setColor(QPalette::WindowText, QColor(235, 225, 190));
    bevel->setPalette(pal);

    auto *inner = new QVBoxLayout(bevel);
    inner->setContentsMargins(12, 12, 12, 12);
    inner->addStretch(2);
    auto *title = new QLabel(QStringLiteral("Kelvarin"), bevel);
    title->setObjectName(QStringLiteral("Picture"));
    QFont titleFont = title->font();
    titleFont.setPixelSize(34);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    inner->addWidget(title);
    auto *subtitle = new QLabel(QStringLiteral("UnrealScript class browser"), bevel);
    subtitle->setAlignment(Qt::AlignCenter);
    inner->addWidget(subtitle);
    inner->addStretch(2);

    m_label1 = new QLabel(QStringLiteral("Please wait... Kelvarin starting"), bevel);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setAlignment(Qt::AlignCenter);
    m_label1->hide();
    inner->addWidget(m_label1);

    // The one label that shows: progress of the default state's loading.
    m_processLabel = new QLabel(QStringLiteral("Loading default state"), bevel);
    m_processLabel->setObjectName(QStringLiteral("ProcessLabel"));
    m_processLabel->setAlignment(Qt::AlignCenter);
    m_processLabel->setWordWrap(true);
    inner->addWidget(m_processLabel);
    inner->addStretch(1);
}

void TWaitBox::ShowProcess(const QString &text)
{
    m_processLabel->setText(QStringLiteral("Processing: ") + text);
    QCoreApplication::processEvents();
}

QString TWaitBox::ProcessText() const
{
    return m_processLabel->text();
}

void TWaitBox::showEvent(QShowEvent *event)
{
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    QWidget::showEvent(event);
}

} // namespace kelvarin
