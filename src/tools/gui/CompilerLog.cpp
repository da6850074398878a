#include "tools/gui/CompilerLog.h"

#include "model/Options.h"
#include "platform/Prompter.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QTextBlock>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace kelvarin {

TCompilerLog::TCompilerLog(const TOptions &options, Prompter &prompter, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowStaysOnTopHint), m_options(options), m_prompter(prompter)
{
    setWindowTitle(QStringLiteral("Compiler log:"));
    setModal(false);
    setMinimumSize(400, 150);
    auto *layout = new QVBoxLayout(this);
    m_logMemo = new QPlainTextEdit(this);
    m_logMemo->setReadOnly(true);
    m_logMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_logMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    m_logMemo->setFont(font);
    m_logMemo->setToolTip(QStringLiteral("Double-click an error or warning to open its source at that line"));
    m_logMemo->viewport()->installEventFilter(this);
    layout->addWidget(m_logMemo, 1);

    auto *row = new QHBoxLayout;
    m_showParsedCheck = new QCheckBox(QStringLiteral("&Show log parsed"), this);
    m_showParsedCheck->setChecked(true);
    row->addWidget(m_showParsedCheck);
    row->addStretch(1);
    m_closeButton = new QPushButton(QStringLiteral("&Close"), this);
    m_closeButton->setDefault(true);
    row->addWidget(m_closeButton);
    layout->addLayout(row);

    // The view follows every change of the box, by mouse or keyboard.
    connect(m_showParsedCheck, &QCheckBox::toggled, this, &TCompilerLog::LoadLog);
    // Close and Esc hide the window; it lives as long as the program.
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);
    resize(640, 400);
}

void TCompilerLog::ShowCompileLog()
{
    if (isVisible()) {
        LoadLog();
    } else {
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
        show();
    }
    raise();
    activateWindow();
}

void TCompilerLog::CloseCompileLog()
{
    hide();
}

void TCompilerLog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        LoadLog();
}

bool TCompilerLog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_logMemo->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton) {
            const QTextBlock block = m_logMemo->cursorForPosition(mouse->position().toPoint()).block();
            if (block.isValid())
                LogMemoDblClick(block.blockNumber());
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TCompilerLog::LogMemoDblClick(int lineIndex)
{
    const QTextBlock block = m_logMemo->document()->findBlockByNumber(lineIndex);
    if (!block.isValid() || !m_openSource)
        return;
    if (const auto source = CompilerLog::SourceOf(block.text(), m_options.BaseDir))
        m_openSource(source->path, source->line);
}

void TCompilerLog::LoadLog()
{
    m_logMemo->clear();
    const bool parsed = m_showParsedCheck->isChecked();
    const CompilerLog::View view = m_log.LoadLog(m_options.BaseDir, parsed);
    if (!view.opened) {
        m_prompter.Error(view.errorText);
        if (!m_note.isEmpty())
            m_logMemo->setPlainText(m_note);
        return;
    }
    // A compile that left no package never shows the success line.
    const QStringList lines = parsed ? CompilerLog::WithNote(view.lines, m_note) : view.lines;
    m_logMemo->setPlainText(lines.join(QLatin1Char('\n')));
}

} // namespace kelvarin
