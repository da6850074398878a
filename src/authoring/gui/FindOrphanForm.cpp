#include "authoring/gui/FindOrphanForm.h"

#include "model/ClassModel.h"
#include "model/Options.h"
#include "platform/Prompter.h"
#include "platform/gui/DialogButton.h"

#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStackedWidget>
#include <QVBoxLayout>


namespace kelvarin {

namespace {

const QString kNextCaption = QStringLiteral("&Next ->");
const QString kFinishCaption = QStringLiteral("&Finish");

} // namespace

QStringList TFindOrphanForm::MemoLines()
{
    return {
        QStringLiteral("Welcome to the Orphan files finder."),
        QString(),
        QStringLiteral("This little baby will look for files that have lost their relatives. With this I mean .INT and .DLL files "),
        QStringLiteral("without their corresponding .U file. When the search is done, you can select which files actually "),
        QStringLiteral("should be removed."),
        QString(),
        QStringLiteral("By default, Unreal Tournament has some files that would be marked as orphan. These files do not "),
        QStringLiteral("show up here. If there are any files that belong to Unreal Tournament which show up as orphans, "),
        QStringLiteral("please report them at the Kelvarin issue tracker."),
        QString(),
        QStringLiteral("Pess Next to start searching..."),
    };
}

TFindOrphanForm::TFindOrphanForm(const TOptions &options, EventPump &pump, Prompter &prompter,
                                 QWidget *parent)
    : QDialog(parent),
      m_options(options),
      m_prompter(prompter),
      m_finder(pump)
{
    setObjectName(QStringLiteral("FindOrphanForm"));
    setWindowTitle(QStringLiteral("Find orphans"));
    setModal(false);
    setSizeGripEnabled(true);
    resize(542, 375);

    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl"));

    // Welcome page.
    m_initialTab = new QWidget(m_pages);
    m_initialTab->setObjectName(QStringLiteral("InitialTab"));
    auto *initialGroup = new QGroupBox(QStringLiteral(" Orphan files finder "), m_initialTab);
    initialGroup->setObjectName(QStringLiteral("InitialGroup"));
    m_memo = new QPlainTextEdit(initialGroup);
    m_memo->setObjectName(QStringLiteral("InitialInfoMemo"));
    m_memo->setReadOnly(true);
    m_memo->setPlainText(MemoLines().join(QLatin1Char('\n')));
    QPalette memoPalette = m_memo->palette();
    memoPalette.setColor(QPalette::Base, memoPalette.color(QPalette::Button));
    m_memo->setPalette(memoPalette);
    m_memo->installEventFilter(this);
    auto *initialGroupLayout = new QVBoxLayout(initialGroup);
    initialGroupLayout->addWidget(m_memo);
    auto *initialLayout = new QVBoxLayout(m_initialTab);
    initialLayout->setContentsMargins(0, 0, 0, 0);
    initialLayout->addWidget(initialGroup);

    // Result page.
    m_finishTab = new QWidget(m_pages);
    m_finishTab->setObjectName(QStringLiteral("FinishTab"));
    auto *finishGroup = new QGroupBox(QStringLiteral(" The final step "), m_finishTab);
    finishGroup->setObjectName(QStringLiteral("FinishGroup"));
    m_note = new QLabel(QStringLiteral("These files have been found to be orphans. Uncheck any checkbox to "
                                       "prevent the removal of these files. Press Finish to remove all "
                                       "checked files."),
                        finishGroup);
    m_note->setObjectName(QStringLiteral("FinishNote"));
    m_note->setWordWrap(true);
    m_orphanList = new QListWidget(finishGroup);
    m_orphanList->setObjectName(QStringLiteral("OrphanList"));
    m_orphanList->setSortingEnabled(false);   // kept in the finder's order
    auto *finishGroupLayout = new QVBoxLayout(finishGroup);
    finishGroupLayout->addWidget(m_note);
    finishGroupLayout->addWidget(m_orphanList, 1);
    auto *finishLayout = new QVBoxLayout(m_finishTab);
    finishLayout->setContentsMargins(0, 0, 0, 0);
    finishLayout->addWidget(finishGroup);

    m_pages->addWidget(m_initialTab);
    m_pages->addWidget(m_finishTab);

    m_backButton = MakeDialogButton(this, "BackButton", QStringLiteral("<- &Back"));
    m_backButton->setEnabled(false);
    m_nextButton = MakeDialogButton(this, "NextButton", kNextCaption);
    m_nextButton->setDefault(true);
    m_cancelButton = MakeDialogButton(this, "CancelButton", QStringLiteral("&Cancel"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_backButton);
    buttons->addWidget(m_nextButton);
    buttons->addSpacing(12);
    buttons->addWidget(m_cancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    layout->addLayout(buttons);

    connect(m_nextButton, &QPushButton::clicked, this, &TFindOrphanForm::NextButtonClick);
    connect(m_backButton, &QPushButton::clicked, this, &TFindOrphanForm::BackButtonClick);
    connect(m_cancelButton, &QPushButton::clicked, this, &TFindOrphanForm::CancelButtonClick);

    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TFindOrphanForm::Show()
{
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    show();
    raise();
    activateWindow();
}

QWidget *TFindOrphanForm::ActivePage() const
{
    return m_pages->currentWidget();
}

void TFindOrphanForm::SetActivePage(QWidget *page)
{
    if (m_pages->currentWidget() == page)
        return;
    // Leaving the result page ends a search that is still running there.
    if (m_pages->currentWidget() == m_finishTab)
        m_finder.Stop();
    m_pages->setCurrentWidget(page);
    if (page == m_initialTab)
        InitialTabShow();
    else if (page == m_finishTab)
        FinishTabShow();
}

void TFindOrphanForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFindOrphanForm::hideEvent(QHideEvent *event)
{
    // The result page is no longer shown: a running search ends.
    if (!event->spontaneous())
        m_finder.Stop();
    QDialog::hideEvent(event);
}

bool TFindOrphanForm::eventFilter(QObject *watched, QEvent *event)
{
    // The memo passes the focus on to Next, however it would get it.
    if (watched == m_memo && event->type() == QEvent::FocusIn) {
        m_nextButton->setFocus(Qt::OtherFocusReason);
        return false;
    }
    return QDialog::eventFilter(watched, event);
}

void TFindOrphanForm::FormShow()
{
    SetActivePage(m_initialTab);
    // Each showing starts as the first did, also when the welcome page was
    // still the active one.
    InitialTabShow();
    m_nextButton->setFocus(Qt::OtherFocusReason);
}

void TFindOrphanForm::InitialTabShow()
{
    m_backButton->setEnabled(false);
    m_nextButton->setText(kNextCaption);
}

void TFindOrphanForm::FinishTabShow()
{
    m_nextButton->setEnabled(false);
    const OrphanFinder::Outcome outcome = m_finder.Search(m_options.BaseDir, m_model);
    if (outcome == OrphanFinder::Outcome::ListingCut) {
        m_nextButton->setEnabled(true);
        CloseWizard();
        return;
    }
    FillOrphanList();
    m_nextButton->setEnabled(true);
}

void TFindOrphanForm::FillOrphanList()
{
    m_orphanList->clear();
    for (const OrphanFinder::Orphan &orphan : m_finder.Orphans()) {
        auto *item = new QListWidgetItem(orphan.name, m_orphanList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(orphan.checked ? Qt::Checked : Qt::Unchecked);
    }
}

void TFindOrphanForm::NextButtonClick()
{
    if (!m_nextButton->isEnabled())
        return;
    QWidget *before = ActivePage();
    if (before == m_initialTab && m_model && m_model->RefuseWhileBusy())
        return;
    if (before == m_initialTab)
        SetActivePage(m_finishTab);
    else if (before == m_finishTab)
        DeleteCheckedOrphans();
    QWidget *now = ActivePage();
    if (now == m_finishTab)
        m_nextButton->setText(kFinishCaption);
    if (now != before) {
        m_backLinks.insert(now, before);
        m_backButton->setEnabled(true);
    }
}

void TFindOrphanForm::BackButtonClick()
{
    if (!m_backButton->isEnabled())
        return;
    if (QWidget *previous = m_backLinks.value(ActivePage()))
        SetActivePage(previous);
}

void TFindOrphanForm::CancelButtonClick()
{
    m_finder.Stop();
    SetActivePage(m_initialTab);
    CloseWizard();
}

void TFindOrphanForm::reject()
{
    CancelButtonClick();
}

void TFindOrphanForm::DeleteCheckedOrphans()
{
    // The boxes the user left checked are the ones that go.
    for (int row = 0; row < m_orphanList->count(); ++row)
        m_finder.SetChecked(row, m_orphanList->item(row)->checkState() == Qt::Checked);
    m_orphanList->clear();
    // Closed before the failure message, which would otherwise stand over
    // a list that no longer means anything.
    CloseWizard();
    m_finder.DeleteCheckedOrphans(m_prompter);
}

void TFindOrphanForm::CloseWizard()
{
    QDialog::reject();
}

} // namespace kelvarin
