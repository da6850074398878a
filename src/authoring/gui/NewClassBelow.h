#pragma once

#include "authoring/NewClassDialog.h"
#include "authoring/NewClassForm.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelvarin {

class Prompter;

// The modal "Create a new class..." dialog: three fields and two buttons.
// Its state and the checks of Create are NewClassForm's; this window shows
// them and refuses through the prompter.
class TNewClassBelow : public QDialog, public NewClassDialog
{
    Q_OBJECT

public:
    explicit TNewClassBelow(Prompter &prompter, QWidget *parent = nullptr);

    void SetPackage(const QString &package) override;
    void SetParentClass(const QString &parent) override;
    bool Execute() override;
    NewClassEntry Entry() const override;

    // Runs the filled dialog modally and answers its result. Default: exec().
    // Tests replace it to drive the dialog without blocking.
    void SetModalRunner(std::function<int(QDialog &)> runner) { m_runner = std::move(runner); }

    // Refuses with the first failed check's message and stays open, or
    // closes with the OK result.
    void CreateButtonClick();

    const NewClassForm &Form() const { return m_form; }
    QLineEdit *NameEdit() const { return m_nameEdit; }
    QLineEdit *ParentEdit() const { return m_parentEdit; }
    QLineEdit *PackageEdit() const { return m_packageEdit; }
    QPushButton *CreateButton() const { return m_createButton; }
    QPushButton *CancelButton() const { return m_cancelButton; }

    // Every close, through either button, Esc or the runner: both flags cleared.
    void done(int result) override;

private:
    // Puts the form's texts and looks into the controls.
    void ShowForm();
    static void SetLook(QLineEdit *edit, bool fixed);

    Prompter &m_prompter;
    NewClassForm m_form;
    std::function<int(QDialog &)> m_runner;
    QLineEdit *m_nameEdit = nullptr;
    QLineEdit *m_parentEdit = nullptr;
    QLineEdit *m_packageEdit = nullptr;
    QPushButton *m_createButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
};

} // namespace kelvarin
