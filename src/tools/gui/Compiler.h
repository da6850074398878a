#pragma once

#include "tools/CompileRunner.h"

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSlider;

namespace kelvarin {

class TOptions;

// The compile window: shows what is being compiled while UCC runs, lets the
// user change UCC's priority on the fly, choose the test run and cancel.
// The slider and the check box write the options at once; the running
// compile picks the priority up on its next wait step.
class TCompiler : public QWidget, public CompilerView
{
    Q_OBJECT

public:
    TCompiler(TOptions &options, CompileRunner &runner, QWidget *parent = nullptr);

    void ShowProgress(const QString &package, const QString &command) override;
    void HideProgress() override;

    void PriorityBarChange(int position);
    void CancelButtonClick();

    QLineEdit *PackageEdit() const { return m_packageEdit; }
    QLineEdit *CommandEdit() const { return m_commandEdit; }
    QCheckBox *RunAfterCompileCheck() const { return m_runAfterCompileCheck; }
    QSlider *PriorityBar() const { return m_priorityBar; }
    QPushButton *CancelButton() const { return m_cancelButton; }

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void CenterCancelButton();

    TOptions &m_options;
    CompileRunner &m_runner;
    QLineEdit *m_packageEdit = nullptr;
    QLineEdit *m_commandEdit = nullptr;
    QCheckBox *m_runAfterCompileCheck = nullptr;
    QSlider *m_priorityBar = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QWidget *m_buttonRow = nullptr;
};

} // namespace kelvarin
