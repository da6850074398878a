#include "tools/gui/Compiler.h"

#include "model/Options.h"
#include "persist/gui/SetDirForm.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace kelvarin {

TCompiler::TCompiler(TOptions &options, CompileRunner &runner, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_options(options), m_runner(runner)
{
    setWindowTitle(QStringLiteral("Compiling..."));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    m_packageEdit = new QLineEdit(this);
    m_packageEdit->setReadOnly(true);
    m_commandEdit = new QLineEdit(this);
    m_commandEdit->setReadOnly(true);
    form->addRow(QStringLiteral("Package:"), m_packageEdit);
    form->addRow(QStringLiteral("Command:"), m_commandEdit);
    layout->addLayout(form);

    m_runAfterCompileCheck = new QCheckBox(QStringLiteral("&Test run after successfull compilation"), this);
    layout->addWidget(m_runAfterCompileCheck);

    auto *priorityForm = new QFormLayout;
    m_priorityBar = new QSlider(Qt::Horizontal, this);
    m_priorityBar->setRange(0, 3);
    m_priorityBar->setSingleStep(1);
    m_priorityBar->setPageStep(1);
    m_priorityBar->setTickInterval(1);
    m_priorityBar->setTickPosition(QSlider::TicksBelow);
    priorityForm->addRow(QStringLiteral("UCC Priority:"), m_priorityBar);
    layout->addLayout(priorityForm);

    // The button is placed by hand so that it stays centred (see
    // CenterCancelButton), not by the layout.
    m_buttonRow = new QWidget(this);
    m_cancelButton = new QPushButton(QStringLiteral("&Cancel"), m_buttonRow);
    m_cancelButton->adjustSize();
    m_buttonRow->setFixedHeight(m_cancelButton->height());
    layout->addWidget(m_buttonRow);

    // Every change of the box counts, by mouse or keyboard.
    connect(m_runAfterCompileCheck, &QCheckBox::toggled, this,
            [this](bool checked) { m_options.bTestrunAfterCompile = checked; });
    connect(m_priorityBar, &QSlider::valueChanged, this, &TCompiler::PriorityBarChange);
    connect(m_cancelButton, &QPushButton::clicked, this, &TCompiler::CancelButtonClick);

    resize(420, sizeHint().height());
    // Only the width can change.
    setFixedHeight(sizeHint().height());
}

void TCompiler::ShowProgress(const QString &package, const QString &command)
{
    m_packageEdit->setText(package);
    m_commandEdit->setText(command);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
}

void TCompiler::HideProgress()
{
    hide();
}

void TCompiler::PriorityBarChange(int position)
{
    m_options.UCCPriority = TSetDirForm::PriorityForPosition(position);
}

void TCompiler::CancelButtonClick()
{
    m_runner.Cancel();
}

void TCompiler::showEvent(QShowEvent *event)
{
    {
        // Showing mirrors the options; it changes none of them.
        const QSignalBlocker sliderBlock(m_priorityBar);
        const QSignalBlocker checkBlock(m_runAfterCompileCheck);
        m_priorityBar->setValue(TSetDirForm::PositionForPriority(m_options.UCCPriority));
        m_runAfterCompileCheck->setChecked(m_options.bTestrunAfterCompile);
    }
    m_cancelButton->setText(QStringLiteral("&Cancel"));
    m_cancelButton->setDefault(false);
    m_cancelButton->setAutoDefault(false);
    m_cancelButton->setFocus();
    QWidget::showEvent(event);
    CenterCancelButton();
}

void TCompiler::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    CenterCancelButton();
}

void TCompiler::CenterCancelButton()
{
    m_cancelButton->move((m_buttonRow->width() - m_cancelButton->width()) / 2, 0);
}

void TCompiler::closeEvent(QCloseEvent *event)
{
    // Closing by the frame while UCC runs cancels the run; the window is
    // hidden when the run has cleaned up.
    if (m_runner.Busy() && m_runner.RunState() == 0)
        m_runner.Cancel();
    event->accept();
}

} // namespace kelvarin
