#pragma once

#include "authoring/OrphanFinder.h"

#include <QDialog>
#include <QHash>

class QGroupBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace kelvarin {

class ClassModel;
class EventPump;
class Prompter;
class TOptions;

// The orphan file finder's window: a non-modal two-page wizard (welcome,
// then the orphans found, checked). Next on the welcome page searches the
// System directory of the options' base directory; Finish deletes the
// checked files. The search and its rules are OrphanFinder's.
class TFindOrphanForm : public QDialog
{
    Q_OBJECT

public:
    // options is read when a search starts (BaseDir); pump lets the window
    // live during the search and tells when the application is ending.
    TFindOrphanForm(const TOptions &options, EventPump &pump, Prompter &prompter,
                    QWidget *parent = nullptr);

    // The model whose operations a search waits for: a compile moves its
    // package's .u aside, so a search meanwhile would offer the package's
    // .int for deletion. While one runs, Next on the welcome page is refused
    // (the model's status says why); the search holds the model in turn.
    // Unset: searches run whenever asked.
    void SetModel(ClassModel *model) { m_model = model; }

    // The welcome text, one entry a line, trailing blanks as they are.
    static QStringList MemoLines();

    // Shows the window (starting on the welcome page), or brings it to the
    // front when it is already shown.
    void Show();

    void FormShow();
    void InitialTabShow();
    // The search; runs whenever FinishTab becomes the active page.
    void FinishTabShow();
    void NextButtonClick();
    void BackButtonClick();
    void CancelButtonClick();
    // Deletes the checked files and closes the wizard.
    void DeleteCheckedOrphans();

    OrphanFinder &Finder() { return m_finder; }
    QWidget *ActivePage() const;
    QWidget *InitialTab() const { return m_initialTab; }
    QWidget *FinishTab() const { return m_finishTab; }
    QPlainTextEdit *InitialInfoMemo() const { return m_memo; }
    QListWidget *OrphanList() const { return m_orphanList; }
    QPushButton *BackButton() const { return m_backButton; }
    QPushButton *NextButton() const { return m_nextButton; }
    QPushButton *CancelButton() const { return m_cancelButton; }

    // Esc and the window's close button: the same as Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void SetActivePage(QWidget *page);
    void FillOrphanList();
    void CloseWizard();

    const TOptions &m_options;
    Prompter &m_prompter;
    ClassModel *m_model = nullptr;
    OrphanFinder m_finder;
    QStackedWidget *m_pages = nullptr;
    QWidget *m_initialTab = nullptr;
    QWidget *m_finishTab = nullptr;
    QPlainTextEdit *m_memo = nullptr;
    QLabel *m_note = nullptr;
    QListWidget *m_orphanList = nullptr;
    QPushButton *m_backButton = nullptr;
    QPushButton *m_nextButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    // Each page's page for Back, set when Next leaves one page for another.
    QHash<QWidget *, QWidget *> m_backLinks;
};

} // namespace kelvarin
