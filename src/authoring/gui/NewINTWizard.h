#pragma once

#include <QDialog>

#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace kelvarin {

class IntWizard;
class Prompter;

// The INT wizard's window (non-modal): one page body at a time, Back, Next
// or Finish, Cancel. The pages' rules are IntWizard's; the window copies its
// state into the controls after every step and hands typed text back.
class TNewINTWizard : public QDialog
{
    Q_OBJECT

public:
    TNewINTWizard(IntWizard &wizard, Prompter &prompter, QWidget *parent = nullptr);

    // "Open it in my text editor" hands the file's game path to this.
    void SetOpenInEditorHandler(std::function<void(const QString &specPath)> handler);

    // Shown by the main window for a package; already open for another
    // package, it starts afresh for this one. Errors reading the file are
    // shown and leave the wizard closed.
    void ShowFor(const QString &package);

    void NextButtonClick();
    void BackButtonClick();
    void CancelButtonClick();

    QStackedWidget *Pages() const { return m_pages; }
    QPushButton *BackButton() const { return m_backButton; }
    QPushButton *NextButton() const { return m_nextButton; }
    QPushButton *CancelButton() const { return m_cancelButton; }
    QButtonGroup *AddWhatGroup() const { return m_addWhat; }
    // The edit of a data page's field (IntWizard::Field).
    QLineEdit *FieldEdit(int field) const { return m_edits[size_t(field)]; }
    QListWidget *SummaryList() const { return m_summaryList; }
    QListWidget *CreateSummaryList() const { return m_createList; }
    QCheckBox *AddSomethingElseCheck() const { return m_addSomethingElse; }
    QPlainTextEdit *IntroMemo() const { return m_introMemo; }

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Sync();
    void SummaryItemChanged(QListWidgetItem *item);

    IntWizard &m_wizard;
    Prompter &m_prompter;
    QStackedWidget *m_pages = nullptr;
    QPlainTextEdit *m_introMemo = nullptr;
    QButtonGroup *m_addWhat = nullptr;
    std::array<QLineEdit *, 9> m_edits{};
    QListWidget *m_summaryList = nullptr;
    QCheckBox *m_addSomethingElse = nullptr;
    QListWidget *m_createList = nullptr;
    QPushButton *m_backButton = nullptr;
    QPushButton *m_nextButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    bool m_syncing = false;
};

} // namespace kelvarin
