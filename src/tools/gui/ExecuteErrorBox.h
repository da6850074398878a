#pragma once

#include "tools/ErrorReporter.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace kelvarin {

// The launch error box: the text of ExecuteErrorText in a read-only memo and
// a Close button. It has no frame buttons, so Close (or Esc) is the way out.
class TExecuteErrorBox : public QDialog, public ErrorReporter
{
    Q_OBJECT

public:
    static constexpr int MinimumWidth = 330;
    static constexpr int MinimumHeight = 122;

    explicit TExecuteErrorBox(QWidget *parent = nullptr);

    // Codes of 33 and more show nothing; any other code puts its text into
    // the memo and shows the box modally until the user closes it.
    void ShowError(int code, const QString &target) override;

    QPlainTextEdit *ErrorMemo() const { return m_errorMemo; }
    QPushButton *CloseButton() const { return m_closeButton; }

protected:
    // Runs the filled box modally; tests replace it to look at the box
    // without blocking.
    virtual int RunModal();

private:
    void CenterOnScreen();

    QPlainTextEdit *m_errorMemo = nullptr;
    QPushButton *m_closeButton = nullptr;
};

} // namespace kelvarin
