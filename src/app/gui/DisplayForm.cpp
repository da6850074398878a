#include "app/gui/DisplayForm.h"

#include "app/gui/ClassPopup.h"
#include "app/gui/KelvarTreeView.h"
#include "app/gui/MainWindowPanes.h"
#include "app/gui/MainWindowParts.h"
#include "app/gui/TreeModelAdapter.h"
#include "model/ClassLocator.h"
#include "model/PackageLoader.h"
#include "model/PackageRemover.h"
#include "persist/StateFile.h"
#include "persist/WindowLayout.h"
#include "platform/Errors.h"
#include "platform/EventPump.h"
#include "platform/gui/Pickers.h"
#include "session/CommandGuard.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace kelvarin {

namespace {

const QString CrashKeyword = QStringLiteral("crash");
const QString VisibleKeyword = QStringLiteral("visible");

} // namespace

TDisplayForm::TDisplayForm(MainWindowParts &parts, QWidget *parent)
    : QMainWindow(parent),
      m_parts(parts),
      m_options(parts.options),
      m_registry(parts.seams.registry),
      m_model(parts.model),
      m_prompter(parts.seams.prompter),
      m_pump(parts.seams.pump),
      m_start(parts.options, parts.seams.registry, parts.model, parts.seams.prompter, parts.seams.keyboard),
      m_waitingFiles(parts.model, {[this](const QString &path) { return LoadStateFile(path); },
                                   [this](const QString &name) { SelectClass(name); }}),
      m_keywords({CrashKeyword, VisibleKeyword})
{
    setObjectName(QStringLiteral("DisplayForm"));
    setWindowTitle(QLatin1String(Caption));
    resize(DesignedWidth, DesignedHeight);

    BuildPanes();
    BuildCommands();
    m_windowPanes = std::make_unique<MainWindowPanes>(*this, *m_splitter, *m_toolBar);
    m_windowPanes->CentreOnScreen();
    BuildPopup();

    m_statusLabel = new QLabel(QLatin1String(InitialStatus), this);
    m_statusLabel->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addWidget(m_statusLabel, 1);
    m_model.SetStatusSink([this](const QString &text) { SetStatusText(text); });

    // Key preview: every character typed into any control of this window
    // passes the keyword handler first.
    qApp->installEventFilter(this);

    m_filesList->setToolTip(QStringLiteral(
        "This is a list of loaded classes with unknown parents.\n\rThey are all in the form Parent=Class&Package."));

    m_windowPanes->Apply();
    UpdateViewChecks();

    if (!m_start.ReadsSettings())
        return;
    try {
        m_start.LoadSettings();
        LoadWindowLayout();
    } catch (...) {
        // Start-up goes on with whatever was loaded before the error.
    }
}

TDisplayForm::~TDisplayForm()
{
    m_model.SetStatusSink(nullptr);
}

MainCommands &TDisplayForm::Commands() const
{
    return m_parts.commands;
}

bool TDisplayForm::RefuseWhileBusy()
{
    if (!m_model.Busy())
        return false;
    SetStatusText(m_model.BusyRefusal());
    return true;
}

QString TDisplayForm::StatusText() const
{
    return m_statusLabel->text();
}

void TDisplayForm::SetStatusText(const QString &text)
{
    m_statusLabel->setText(text);
}

// ---- Start and end -------------------------------------------------------

void TDisplayForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // The layout has just given the splitter its real width; the pane widths
    // can be laid out now.
    m_windowPanes->Apply();
    FormShow();
}

void TDisplayForm::FormShow()
{
    const QString report = m_start.FirstShow(m_defaultStateLoader);
    m_parts.waitBox.close();
    SetStatusText(report);
    m_waitingFiles.StartUpDone();
    OpenWaitingFiles();
}

bool TDisplayForm::AsksForOptionsAtStart() const
{
    return m_start.AsksForOptions();
}

// ---- Files from the command line ------------------------------------------

void TDisplayForm::OpenFile(const QString &path)
{
    if (path.isEmpty())
        return;
    m_waitingFiles.Add(path);
    // Not from inside the caller (the single-instance socket's handler):
    // loading pumps events.
    ScheduleWaitingFiles(0);
}

void TDisplayForm::ScheduleWaitingFiles(int delayMs)
{
    if (m_openScheduled)
        return;
    m_openScheduled = true;
    QTimer::singleShot(delayMs, this, [this] {
        m_openScheduled = false;
        OpenWaitingFiles();
    });
}

void TDisplayForm::OpenWaitingFiles()
{
    if (m_waitingFiles.OpenWaiting() == FileOpenQueue::Outcome::RetryLater)
        ScheduleWaitingFiles(250);   // after the running operation
}

bool TDisplayForm::LoadStateFile(const QString &path)
{
    bool loaded = false;
    RunModelCommand(QStringLiteral("loading a state"),
                    [this, &path, &loaded] { loaded = StateFile(m_model).LoadState(path); });
    return loaded;
}

void TDisplayForm::SelectClass(const QString &name)
{
    ClassLocator::Place place;
    {
        // The searches pump events; other model commands wait meanwhile, so
        // the nodes found stay where they are.
        ClassModel::BusyScope busy(m_model, QStringLiteral("finding a class"));
        RunGuarded(m_prompter, [this, &name, &place] { place = ClassLocator(m_model).Locate(name); });
    }
    if (m_pump.Terminating())
        return;
    if (!place.classNode) {
        SetStatusText(QStringLiteral("Class %1 is not loaded: tick its package to browse it").arg(name));
        return;
    }
    if (place.packageNode) {
        m_model.PackagesBrowser().Select(place.packageNode);
        m_packagesBrowser->scrollTo(m_packagesModel->IndexOf(place.packageNode));
    }
    m_model.Browser().Select(place.classNode);
    m_browser->scrollTo(m_browserModel->IndexOf(place.classNode));
    m_browser->setFocus();
}

void TDisplayForm::closeEvent(QCloseEvent *event)
{
    // "E&xit" ends the loop without storing anything; a second close (the
    // application asking every window) has nothing left to store.
    if (!m_exiting && !m_closed)
        FormClose();
    event->accept();
}

void TDisplayForm::FormClose()
{
    m_closed = true;
    m_parts.launchers.StopWatchingServers();
    RunGuarded(m_prompter, [this] { SaveWindowLayout(); });
    RunGuarded(m_prompter, [this] { OptionsChange::Store(m_options, m_registry, m_prompter); });
    m_pump.SetTerminating();
    m_parts.seams.quit();
}

void TDisplayForm::ExitMenuItemClick()
{
    m_exiting = true;
    m_parts.launchers.StopWatchingServers();
    m_pump.SetTerminating();
    m_parts.seams.quit();
}

void TDisplayForm::AboutMenuClick()
{
    ShowOnTop(&m_parts.aboutBox);
}

// ---- Typed keywords ------------------------------------------------------

bool TDisplayForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (widget->window() != this)
        return false;
    // A key event climbs from the focused control to its parents; it is
    // counted once, where it starts.
    QWidget *focus = focusWidget();
    if (focus ? widget != focus : widget != this)
        return false;
    HandleTypedText(static_cast<QKeyEvent *>(event)->text());
    return false;   // the control still gets its character
}

void TDisplayForm::HandleTypedText(const QString &text)
{
    for (QChar c : text)
        RunGuarded(m_prompter, [this, c] { FormKeyPress(c); });
}

void TDisplayForm::FormKeyPress(QChar c)
{
    const QStringList fired = m_keywords.Feed(c);
    for (const QString &keyword : fired) {
        if (keyword == CrashKeyword)
            throw KelvarinError(QStringLiteral("Test crash!"));
        if (keyword == VisibleKeyword) {
            m_bindingList->setVisible(m_bindingList->isHidden());
            m_filesList->setVisible(m_filesList->isHidden());
        }
    }
}

// ---- Commands ------------------------------------------------------------

void TDisplayForm::RunModelCommand(const QString &what, const std::function<void()> &command)
{
    if (RefuseWhileBusy())
        return;
    ClassModel::BusyScope busy(m_model, what);
    RunGuarded(m_prompter, command);
}

void TDisplayForm::ResetMenuItemClick()
{
    RunModelCommand(QStringLiteral("resetting"), [this] { m_model.ResetModel(); });
}

void TDisplayForm::ReaddefaultpackagesMenuItemClick()
{
    RunModelCommand(QStringLiteral("reading the default packages"),
                    [this] { PackageLoader(m_model).ReadDefaultPackages(); });
}

void TDisplayForm::RefreshMenuItemClick()
{
    RunModelCommand(QStringLiteral("refreshing"), [this] { PackageLoader(m_model).RefreshModel(); });
}

namespace {

FilePickRequest StateFileRequest(const QString &title, const QString &filter, const QString &baseDir)
{
    FilePickRequest request;
    request.title = title;
    request.filter = filter;
    request.defaultExtension = QStringLiteral("*.Kelvar");
    request.startFolder = baseDir;
    return request;
}

} // namespace

void TDisplayForm::LoadStateMenuItemClick()
{
    if (RefuseWhileBusy())
        return;
    const std::optional<QString> file = m_parts.seams.pickers.PickFile(
        this,
        StateFileRequest(QStringLiteral("Select a file to load"),
                         QStringLiteral("Kelvar files (*.Kelvar)|*.Kelvar|All Files (*.*)|*.*"),
                         m_options.BaseDir),
        false);
    if (!file)
        return;
    RunModelCommand(QStringLiteral("loading a state"), [this, &file] { StateFile(m_model).LoadState(*file); });
}

void TDisplayForm::SavestateMenuItemClick()
{
    if (RefuseWhileBusy())
        return;
    const std::optional<QString> file = m_parts.seams.pickers.PickFile(
        this,
        StateFileRequest(QStringLiteral("Select a file to save the current state to"),
                         QStringLiteral("Kelvar files (*.Kelvar)|*.Kelvar|All files (*.*)|*.*"),
                         m_options.BaseDir),
        true);
    if (!file)
        return;
    RunModelCommand(QStringLiteral("saving a state"), [this, &file] { StateFile(m_model).SaveState(*file); });
}

void TDisplayForm::SaveasdefaultstateMenuItemClick()
{
    RunModelCommand(QStringLiteral("saving the default state"),
                    [this] { StateFile(m_model).SaveDefaultState(); });
}

void TDisplayForm::PackageListClickCheck(int row, kelvarin::PackageList::Mark requested)
{
    kelvarin::PackageList &packages = m_model.Packages();
    if (row < 0 || row >= packages.Count() || packages.MarkAt(row) == requested)
        return;
    // Refused while another operation runs: the mark stays as it was.
    RunModelCommand(QStringLiteral("loading a package"), [this, row, requested] {
        m_model.Packages().SetMark(row, requested);
        PackageLoader(m_model).PackageTickChanged(row);
    });
}

void TDisplayForm::SetbasedirMenuItemClick()
{
    if (RefuseWhileBusy())
        return;
    RunGuarded(m_prompter, [this] {
        const std::optional<SetDirValues> values = m_parts.optionsEditor.Edit(m_options);
        if (!values)
            return;
        const auto result = OptionsChange::Apply(m_options, m_registry, m_model, m_prompter,
                                                 [&values](TOptions &options) { values->ApplyTo(options); });
        if (result == OptionsChange::Result::ReloadRefused)
            RefuseWhileBusy();
    });
}

void TDisplayForm::SwitchClassPackagetreeMenuitemClick()
{
    m_parts.commands.ClearPopupTag();
    SwitchtreesPopupItemClick();
}

void TDisplayForm::SwitchtreesPopupItemClick()
{
    if (RefuseWhileBusy())
        return;
    RunGuarded(m_prompter, [this] {
        if (m_packagesBrowser->hasFocus())
            SwitchToTree(m_browser);
        else if (m_browser->hasFocus())
            SwitchToTree(m_packagesBrowser);
    });
}

void TDisplayForm::SwitchToTree(KelvarTreeView *target)
{
    Tree &tree = target->Adapter()->SourceTree();
    TreeNode *found = nullptr;
    {
        // Events are pumped during the walk; other model commands are
        // refused meanwhile, so the nodes stay where they are.
        ClassModel::BusyScope busy(m_model, QStringLiteral("switching trees"));
        found = m_parts.commands.SwitchTarget(tree);
    }
    if (!found)
        return;
    target->setFocus();
    tree.Select(found);
    target->scrollTo(target->Adapter()->IndexOf(found));
}

void TDisplayForm::BrowserDblClick(TreeNode *node)
{
    if (!node || !node->Parent() || RefuseWhileBusy())
        return;
    RunModelCommand(QStringLiteral("opening a file"), [this, node] { m_parts.commands.BrowserDblClick(node); });
}

// ---- The pop-up ----------------------------------------------------------

void TDisplayForm::BrowserMouseDown(const QPoint &pos)
{
    if (RefuseWhileBusy())
        return;
    bool open = false;
    RunGuarded(m_prompter, [this, &open] { open = m_parts.commands.BrowserMouseDown(); });
    if (open)
        OpenPopup(m_browser, pos);
}

void TDisplayForm::PackagesBrowserMouseDown(const QPoint &pos)
{
    if (RefuseWhileBusy())
        return;
    bool open = false;
    RunGuarded(m_prompter, [this, &open] { open = m_parts.commands.PackagesBrowserMouseDown(); });
    if (open)
        OpenPopup(m_packagesBrowser, pos);
}

void TDisplayForm::OpenPopup(KelvarTreeView *view, const QPoint &pos)
{
    m_popup->Apply(m_parts.commands.Popup());
    m_parts.seams.popupRunner(m_popup, view->viewport()->mapToGlobal(pos));
}

void TDisplayForm::EditthisclassMenuItemClick()
{
    RunModelCommand(QStringLiteral("opening a file"), [this] { m_parts.commands.EditthisclassMenuItemClick(); });
}

void TDisplayForm::DeleteClassPopupItemClick()
{
    TreeNode *node = m_parts.commands.PopupTag();
    if (!node || !node->Parent())
        return;
    RunModelCommand(QStringLiteral("removing"), [this, node] { PackageRemover(m_model).RemoveNode(node, true); });
}

void TDisplayForm::ExplorePopupItemClick()
{
    RunModelCommand(QStringLiteral("looking up a package"),
                    [this] { m_parts.launchers.ExplorePopupItemClick(m_parts.commands.RightClickedNode()); });
}

// ---- Launches ------------------------------------------------------------

void TDisplayForm::EditUTiniMenuItemClick()
{
    RunGuarded(m_prompter, [this] { m_parts.commands.EditUTiniMenuItemClick(); });
}

void TDisplayForm::UTLogClick()
{
    RunGuarded(m_prompter, [this] { m_parts.launchers.UTLogClick(); });
}

void TDisplayForm::ExploreUTButtonClick()
{
    RunGuarded(m_prompter, [this] { m_parts.launchers.ExploreUTButtonClick(); });
}

void TDisplayForm::TestRunButtonClick()
{
    RunGuarded(m_prompter, [this] { m_parts.launchers.TestRunButtonClick(); });
}

void TDisplayForm::JoinyourselfMenuItemClick()
{
    RunGuarded(m_prompter, [this] { m_parts.launchers.JoinyourselfMenuItemClick(); });
}

void TDisplayForm::RundedicatedserverMenuItemClick()
{
    RunGuarded(m_prompter, [this] { m_parts.launchers.RundedicatedserverMenuItemClick(); });
}

} // namespace kelvarin
