#pragma once

#include "tools/CompileRunner.h"
#include "tools/CompilerLog.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace kelvarin {

class Prompter;
class TOptions;

// The compile log window: the log of the last compile, parsed down to the
// lines that matter or raw. It reads the file each time it is shown and
// whenever the view changes.
class TCompilerLog : public QDialog, public CompileLogView
{
    Q_OBJECT

public:
    TCompilerLog(const TOptions &options, Prompter &prompter, QWidget *parent = nullptr);

    // Shows the window and reads the log again, also when it is already
    // visible.
    void ShowCompileLog() override;
    void CloseCompileLog() override;
    void SetCompileNote(const QString &note) override { m_note = note; }

    void LoadLog();
    bool ErrorsFound() const { return m_log.ErrorsFound(); }

    // Opens a source file at a line (the main window's editor launcher).
    void SetOpenSourceHandler(std::function<void(const QString &path, int line)> handler)
    {
        m_openSource = std::move(handler);
    }
    // A double click on a shown line: an error or warning line opens its
    // source file at its line; other lines do nothing.
    void LogMemoDblClick(int lineIndex);

    QPlainTextEdit *LogMemo() const { return m_logMemo; }
    QCheckBox *ShowParsedCheck() const { return m_showParsedCheck; }
    QPushButton *CloseButton() const { return m_closeButton; }

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const TOptions &m_options;
    Prompter &m_prompter;
    CompilerLog m_log;
    QString m_note;   // the last compile's note, in place of the success line
    std::function<void(const QString &, int)> m_openSource;
    QPlainTextEdit *m_logMemo = nullptr;
    QCheckBox *m_showParsedCheck = nullptr;
    QPushButton *m_closeButton = nullptr;
};

} // namespace kelvarin
