#include "app/gui/DisplayForm.h"

#include "app/CommandGuard.h"
#include "app/MainCommands.h"
#include "app/ProgramArguments.h"
#include "app/gui/AboutBox.h"
#include "app/gui/ClassPopup.h"
#include "app/gui/KelvarTreeView.h"
#include "app/gui/ListAdapters.h"
#include "app/gui/MainWindowPanes.h"
#include "app/gui/TreeModelAdapter.h"
#include "app/gui/WaitBox.h"
#include "model/ClassModel.h"
#include "model/ElapsedTime.h"
#include "model/PackageLoader.h"
#include "model/PackageRemover.h"
#include "model/TextRules.h"
#include "persist/Options.h"
#include "persist/StateFile.h"
#include "persist/WindowLayout.h"
#include "persist/gui/OptionsEditor.h"
#include "platform/Errors.h"
#include "platform/EventPump.h"
#include "platform/Keyboard.h"
#include "platform/Prompter.h"
#include "platform/Registry.h"
#include "platform/gui/Pickers.h"
#include "authoring/NewClassCommands.h"
#include "tools/CompileRunner.h"
#include "tools/PackageExporter.h"
#include "tools/gui/CompilerLog.h"
#include "tools/gui/ExporterForm.h"
#include "authoring/gui/FindOrphanForm.h"
#include "authoring/gui/NewINTWizard.h"
#include "search/gui/FindBox.h"
#include "tools/Launchers.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace kelvarin {

namespace {

const QString CrashKeyword = QStringLiteral("crash");
const QString VisibleKeyword = QStringLiteral("visible");

QString ProgramPath()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
}

QListView *MakeList(QWidget *parent, const char *name)
{
    auto *list = new QListView(parent);
    list->setObjectName(QLatin1String(name));
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setUniformItemSizes(true);
    return list;
}

} // namespace

TDisplayForm::TDisplayForm(TOptions &options, Registry &registry, ClassModel &model,
                           Prompter &prompter, Keyboard &keyboard, EventPump &pump,
                           QWidget *parent)
    : QMainWindow(parent),
      m_options(options),
      m_registry(registry),
      m_model(model),
      m_prompter(prompter),
      m_keyboard(keyboard),
      m_pump(pump),
      m_quit([] { QCoreApplication::exit(0); }),
      m_popupRunner([](QMenu *menu, const QPoint &at) { menu->popup(at); }),
      m_commands(std::make_unique<MainCommands>(options, model)),
      m_newClass(std::make_unique<NewClassCommands>(model)),
      m_keywords({CrashKeyword, VisibleKeyword})
{
    setObjectName(QStringLiteral("DisplayForm"));
    setWindowTitle(QLatin1String(Caption));
    resize(DesignedWidth, DesignedHeight);

    BuildPanes();
    BuildMenus();
    BuildToolBar();
    m_windowPanes = std::make_unique<MainWindowPanes>(*this, *m_splitter, *m_toolBar);
    m_windowPanes->CentreOnScreen();
    BuildPopup();

    m_statusLabel = new QLabel(QLatin1String(InitialStatus), this);
    m_statusLabel->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addWidget(m_statusLabel, 1);

    m_model.SetStatusSink([this](const QString &text) { SetStatusText(text); });
    m_model.SetProcessSink([this](const QString &text) {
        if (m_waitBox && m_waitBox->isVisible())
            m_waitBox->ShowProcess(text);
    });

    // Key preview: every character typed into any control of this window
    // passes the keyword handler first.
    qApp->installEventFilter(this);

    m_filesList->setToolTip(QStringLiteral(
        "This is a list of loaded classes with unknown parents.\n\rThey are all in the form Parent=Class&Package."));

    m_windowPanes->Apply();
    UpdateViewChecks();

    if (m_keyboard.CtrlHeld())
        return;
    try {
        // Without any store this is the first start: the options dialog
        // greets the user (AsksForOptionsAtStart), not an error.
        m_firstStart = !m_registry.StoreExists();
        if (!LoadOptions(m_options, m_registry) && !m_firstStart)
            m_prompter.Error(QLatin1String(LoadFailedMessage));
        LoadWindowLayout();
    } catch (...) {
        // Start-up goes on with whatever was loaded before the error.
    }
}

TDisplayForm::~TDisplayForm()
{
    // The servers keep running; only their watch ends.
    m_launchers.reset();
    m_model.SetStatusSink(nullptr);
    m_model.SetProcessSink(nullptr);
}

void TDisplayForm::SetWaitBox(TWaitBox *waitBox)
{
    m_waitBox = waitBox;
}

void TDisplayForm::SetAboutBox(TAboutBox *aboutBox)
{
    m_aboutBox = aboutBox;
}

void TDisplayForm::BuildPanes()
{
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("Splitter"));
    m_splitter->setChildrenCollapsible(false);

    const TreeModelAdapter::CompiledTest isCompiled = [this](const TreeNode &node) {
        return m_model.IsCompiledClass(node.Text());
    };
    m_browserModel = new TreeModelAdapter(m_model.Browser(), this, isCompiled);
    m_browser = new KelvarTreeView(m_splitter);
    m_browser->setObjectName(QStringLiteral("Browser"));
    m_browser->setMinimumWidth(PaneLayout::MinBrowserWidth);
    m_browser->SetAdapter(m_browserModel);

    m_panel1 = new QWidget(m_splitter);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    auto *panelLayout = new QVBoxLayout(m_panel1);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(2);

    m_bindingModel = new SortedListAdapter(m_model.Bindings(), this);
    m_bindingList = MakeList(m_panel1, "PackageBindingList");
    m_bindingList->setModel(m_bindingModel);
    m_bindingList->hide();
    panelLayout->addWidget(m_bindingList, 1);

    m_packagesModel = new TreeModelAdapter(m_model.PackagesBrowser(), this, isCompiled);
    m_packagesBrowser = new KelvarTreeView(m_panel1);
    m_packagesBrowser->setObjectName(QStringLiteral("PackagesBrowser"));
    m_packagesBrowser->SetAdapter(m_packagesModel);
    panelLayout->addWidget(m_packagesBrowser, 3);

    m_filesModel = new SortedListAdapter(m_model.Files(), this);
    m_filesList = MakeList(m_panel1, "FilesList");
    m_filesList->setModel(m_filesModel);
    m_filesList->hide();
    panelLayout->addWidget(m_filesList, 1);

    m_packageListModel = new PackageListAdapter(m_model.Packages(), this);
    m_packageListModel->SetTickHandler([this](int row, PackageList::Mark requested) {
        PackageListClickCheck(row, requested);
    });
    m_packageList = MakeList(m_splitter, "PackageList");
    m_packageList->setModel(m_packageListModel);

    m_splitter->addWidget(m_browser);
    m_splitter->addWidget(m_panel1);
    m_splitter->addWidget(m_packageList);
    m_splitter->handle(1)->setObjectName(QStringLiteral("Splitter1"));
    m_splitter->handle(2)->setObjectName(QStringLiteral("Splitter2"));
    setCentralWidget(m_splitter);

    m_browser->SetDoubleClickHandler([this](TreeNode *node) { BrowserDblClick(node); });
    m_packagesBrowser->SetDoubleClickHandler([this](TreeNode *node) { BrowserDblClick(node); });
    // The pop-up opens from the right-button presses only: a context-menu
    // event or the Menu key would show it with the last click's captions.
    m_browser->setContextMenuPolicy(Qt::NoContextMenu);
    m_packagesBrowser->setContextMenuPolicy(Qt::NoContextMenu);
    m_browser->SetRightPressHandler([this](const QPoint &pos) { BrowserMouseDown(pos); });
    m_packagesBrowser->SetRightPressHandler([this](const QPoint &pos) { PackagesBrowserMouseDown(pos); });
}

QAction *TDisplayForm::AddAction(QWidget *container, const char *name, const QString &caption,
                                 void (TDisplayForm::*handler)(), const QKeySequence &shortcut)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (handler)
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    else
        action->setEnabled(false);   // a command of a later version of this window
    container->addAction(action);
    return action;
}

void TDisplayForm::BuildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("FileMenu"));
    m_modelCommands << AddAction(file, "ReaddefaultpackagesMenuItem", QStringLiteral("R&ead default packages"),
                                 &TDisplayForm::ReaddefaultpackagesMenuItemClick);
    m_modelCommands << AddAction(file, "ResetMenuItem", QStringLiteral("&Reset"),
                                 &TDisplayForm::ResetMenuItemClick);
    file->addSeparator();
    m_modelCommands << AddAction(file, "LoadStateMenuItem", QStringLiteral("&Load state..."),
                                 &TDisplayForm::LoadStateMenuItemClick);
    m_modelCommands << AddAction(file, "SavestateMenuItem", QStringLiteral("&Save state..."),
                                 &TDisplayForm::SavestateMenuItemClick);
    m_modelCommands << AddAction(file, "SaveasdefaultstateMenuItem", QStringLiteral("&Save as default state"),
                                 &TDisplayForm::SaveasdefaultstateMenuItemClick);
    file->addSeparator();
    AddAction(file, "ExitMenuItem", QStringLiteral("E&xit"), &TDisplayForm::ExitMenuItemClick);

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("ViewMenu"));
    AddAction(view, "EditUTiniMenuItem", QStringLiteral("&Edit UnrealTournament.ini"),
              &TDisplayForm::EditUTiniMenuItemClick, QKeySequence(Qt::Key_F4));
    m_modelCommands << AddAction(view, "RefreshMenuItem", QStringLiteral("&Refresh browser"),
                                 &TDisplayForm::RefreshMenuItemClick, QKeySequence(Qt::Key_F5));
    m_modelCommands << AddAction(view, "SwitchClassPackagetreeMenuitem",
                                 QStringLiteral("&Switch Class/Package tree"),
                                 &TDisplayForm::SwitchClassPackagetreeMenuitemClick,
                                 QKeySequence(Qt::Key_F6));
    m_toolCommands << AddAction(view, "CompilerLogMenuItem", QStringLiteral("Compiler log..."),
                                &TDisplayForm::CompilerLogButtonClick, QKeySequence(Qt::Key_F10));
    AddAction(view, "UTLogMenuItem", QStringLiteral("&UT Log..."), &TDisplayForm::UTLogClick,
              QKeySequence(Qt::Key_F11));
    view->addSeparator();
    m_toolbarItem = AddAction(view, "ToolbarMenuItem", QStringLiteral("Toolbar"),
                              &TDisplayForm::ToolbarMenuItemClick);
    m_classesTreeItem = AddAction(view, "ClassestreeMenuItem", QStringLiteral("Classes tree"),
                                  &TDisplayForm::ClassestreeMenuItemClick);
    m_packagesTreeItem = AddAction(view, "PackagestreeMenuItem", QStringLiteral("Packages tree"),
                                   &TDisplayForm::PackagestreeMenuItemClick);
    m_packagesListItem = AddAction(view, "PackageslistMenuItem", QStringLiteral("Packages list"),
                                   &TDisplayForm::PackageslistMenuItemClick);
    for (QAction *toggle : {m_toolbarItem, m_classesTreeItem, m_packagesTreeItem, m_packagesListItem}) {
        toggle->setCheckable(true);
        toggle->setChecked(true);
    }
    view->addSeparator();
    AddAction(view, "AboutMenuItem", QStringLiteral("&About..."), &TDisplayForm::AboutMenuClick,
              QKeySequence(Qt::Key_F12));

    QMenu *misc = menuBar()->addMenu(QStringLiteral("&Misc"));
    misc->setObjectName(QStringLiteral("MiscMenu"));
    m_modelCommands << AddAction(misc, "SetbasedirMenuItem", QStringLiteral("&Set options..."),
                                 &TDisplayForm::SetbasedirMenuItemClick);
    m_toolCommands << AddAction(misc, "PackageexporterMenuItem", QStringLiteral("&Package exporter..."),
                                &TDisplayForm::PackageexporterMenuItemClick, QKeySequence(Qt::Key_F7));
    m_compileCommands << AddAction(misc, "CompileMenuItem", QStringLiteral("&Compile..."),
                                   &TDisplayForm::CompileMenuItemClick, QKeySequence(Qt::Key_F9));
    AddAction(misc, "ExploreUTMenuItem", QStringLiteral("&Explore UT directory"),
              &TDisplayForm::ExploreUTButtonClick);
    m_orphanItem = AddAction(misc, "FindorphanfilesMenuItem", QStringLiteral("&Find orphan files.."),
                             &TDisplayForm::FindorphanfilesMenuItemClick);
    m_orphanItem->setEnabled(false);   // until the finder exists

    QMenu *server = menuBar()->addMenu(QStringLiteral("&Server"));
    server->setObjectName(QStringLiteral("ServerMenu"));
    AddAction(server, "RundedicatedserverMenuItem", QStringLiteral("&Run dedicated server"),
              &TDisplayForm::RundedicatedserverMenuItemClick);
    AddAction(server, "JoinyourselfMenuItem", QStringLiteral("Join yourself"),
              &TDisplayForm::JoinyourselfMenuItemClick);

    // While a model operation runs, its commands show greyed in the open
    // menu; outside menus they stay enabled and refuse with a status text.
    for (QMenu *menu : {file, view, misc, server}) {
        connect(menu, &QMenu::aboutToShow, this, [this] { GreyBusyCommands(true); });
        connect(menu, &QMenu::aboutToHide, this, [this] { GreyBusyCommands(false); });
    }
}

void TDisplayForm::BuildToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(16, 16));

    QStyle *st = style();
    const auto button = [this, st](const char *name, const QString &hint, QStyle::StandardPixmap icon,
                                   void (TDisplayForm::*handler)() = nullptr) {
        QAction *action = AddAction(m_toolBar, name, hint, handler);
        action->setToolTip(hint);
        action->setIcon(st->standardIcon(icon));
        return action;
    };
    m_modelCommands << button("ReadDefaultButton", QStringLiteral("Read default packages"),
                              QStyle::SP_DirHomeIcon, &TDisplayForm::ReaddefaultpackagesMenuItemClick);
    m_modelCommands << button("ResetButton", QStringLiteral("Reset"), QStyle::SP_DialogResetButton,
                              &TDisplayForm::ResetMenuItemClick);
    m_toolBar->addSeparator();
    m_modelCommands << button("LoadStateButton", QStringLiteral("Load state"), QStyle::SP_DialogOpenButton,
                              &TDisplayForm::LoadStateMenuItemClick);
    m_modelCommands << button("SaveStateButton", QStringLiteral("Save state"), QStyle::SP_DialogSaveButton,
                              &TDisplayForm::SavestateMenuItemClick);
    m_modelCommands << button("SaveDefaultButton", QStringLiteral("Save current state as the default"),
                              QStyle::SP_DriveFDIcon, &TDisplayForm::SaveasdefaultstateMenuItemClick);
    m_toolBar->addSeparator();
    m_modelCommands << button("SwitchButton", QStringLiteral("Switch between the two trees"),
                              QStyle::SP_ArrowRight, &TDisplayForm::SwitchClassPackagetreeMenuitemClick);
    m_toolCommands << button("CompilerLogButton", QStringLiteral("Show compilation log"),
                             QStyle::SP_FileDialogInfoView, &TDisplayForm::CompilerLogButtonClick);
    m_toolBar->addSeparator();
    button("EditUTiniButton", QStringLiteral("Edit UnrealTournament.ini"), QStyle::SP_FileIcon,
           &TDisplayForm::EditUTiniMenuItemClick);
    m_modelCommands << button("OptionsButton", QStringLiteral("Edit options"), QStyle::SP_ComputerIcon,
                              &TDisplayForm::SetbasedirMenuItemClick);
    m_toolCommands << button("PackageExporterButton", QStringLiteral("Package exporter"), QStyle::SP_ArrowDown,
                             &TDisplayForm::PackageexporterMenuItemClick);
    m_compileCommands << button("CompileButton", QStringLiteral("Compile default package"),
                                QStyle::SP_CommandLink, &TDisplayForm::CompileMenuItemClick);
    // Until the tools are set.
    for (QAction *action : m_compileCommands + m_toolCommands)
        action->setEnabled(false);
    m_toolBar->addSeparator();
    button("ExploreUTButton", QStringLiteral("Explore UT directory"), QStyle::SP_DirOpenIcon,
           &TDisplayForm::ExploreUTButtonClick);
    button("TestRunButton", QStringLiteral("Test run!"), QStyle::SP_MediaPlay,
           &TDisplayForm::TestRunButtonClick);
    m_toolBar->addSeparator();
    button("AboutButton", QStringLiteral("About"), QStyle::SP_MessageBoxInformation,
           &TDisplayForm::AboutMenuClick);
}

void TDisplayForm::BuildPopup()
{
    m_popup = new ClassPopup(this);
    const auto connectItem = [this](QAction *item, void (TDisplayForm::*handler)()) {
        connect(item, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    connectItem(m_popup->EditthisclassMenuItem, &TDisplayForm::EditthisclassMenuItemClick);
    connectItem(m_popup->SwitchtreesPopupItem, &TDisplayForm::SwitchtreesPopupItemClick);
    connectItem(m_popup->ExplorePopupItem, &TDisplayForm::ExplorePopupItemClick);
    connectItem(m_popup->DeleteClassPopupItem, &TDisplayForm::DeleteClassPopupItemClick);
    connectItem(m_popup->FindClassPopupItem, &TDisplayForm::FindClassPopupItemClick);
    connectItem(m_popup->CreateClassPopupItem, &TDisplayForm::CreateClassPopupItemClick);
    connectItem(m_popup->Addeditcustomcomment, &TDisplayForm::AddeditcustomcommentClick);
    connectItem(m_popup->AddINTfilePopupItem, &TDisplayForm::AddINTfilePopupItemClick);
    connectItem(m_popup->CompilethispackageMenuItem, &TDisplayForm::CompilethispackageMenuItemClick);
    m_popup->SetAvailable(m_popup->AddINTfilePopupItem, false);   // until a wizard is set
    m_newClass->SetOpenInEditor([this](const QString &path) { m_commands->OpenInEditor(path); });
    // Until a new-class dialog is set.
    m_popup->SetAvailable(m_popup->CreateClassPopupItem, false);
    m_popup->SetAvailable(m_popup->Addeditcustomcomment, false);
    m_popup->SetAvailable(m_popup->FindClassPopupItem, false);   // until a finder is set
    m_popup->SetAvailable(m_popup->CompilethispackageMenuItem, false);   // until the tools are set
}

void TDisplayForm::SetFindBox(TFindBox *findBox)
{
    m_findBox = findBox;
    m_popup->SetAvailable(m_popup->FindClassPopupItem, findBox != nullptr);
    if (!findBox)
        return;
    // The finder opens where the user left it in an earlier run.
    if (m_storedLayout && m_storedLayout->findBoxLeft && m_storedLayout->findBoxTop && m_storedLayout->findBoxWidth
        && m_storedLayout->findBoxHeight) {
        TFindBox::Placement placement;
        placement.geometry = QRect(*m_storedLayout->findBoxLeft, *m_storedLayout->findBoxTop,
                                   *m_storedLayout->findBoxWidth, *m_storedLayout->findBoxHeight);
        for (int column = 0; column < TFindBox::ColumnCount; ++column)
            placement.columns[column] = m_storedLayout->findBoxColumns[column].value_or(0);
        findBox->RestorePlacement(placement);
    }
    findBox->SetBrowseHandler([this](int column, TreeNode *node) {
        KelvarTreeView *view = column == 0 ? m_browser : m_packagesBrowser;
        view->Adapter()->SourceTree().Select(node);
        if (node)
            view->scrollTo(view->Adapter()->IndexOf(node));
        view->setFocus();
    });
    findBox->SetEditHandler([this](TreeNode *node) {
        RunModelCommand(QStringLiteral("opening a file"), [this, node] { m_commands->Edit(node); });
    });
}

void TDisplayForm::SetCompileTools(CompileRunner *runner, TCompilerLog *log, PackageExporter *exporter,
                                   TExporterForm *exporterForm)
{
    m_compileRunner = runner;
    m_compilerLog = log;
    m_exporter = exporter;
    m_exporterForm = exporterForm;
    const bool ready = runner && log && exporter && exporterForm;
    if (log)
        log->SetOpenSourceHandler([this](const QString &path, int line) {
            RunGuarded(m_prompter, [this, &path, line] { m_commands->OpenInEditor(path, line); });
        });
    for (QAction *action : m_compileCommands + m_toolCommands)
        action->setEnabled(ready);
    m_popup->SetAvailable(m_popup->CompilethispackageMenuItem, ready);
    if (!ready)
        return;
    // A compile and an export both run UCC: one waits for the other.
    const auto enableCompile = [this] {
        const bool idle = !m_compileRunner->Busy() && !m_exporter->Busy();
        for (QAction *action : std::as_const(m_compileCommands))
            action->setEnabled(idle);
        m_popup->SetAvailable(m_popup->CompilethispackageMenuItem, idle);
    };
    runner->SetOtherBusy([this] { return m_exporter->Busy(); });
    exporter->SetOtherToolBusy([this] { return m_compileRunner->Busy(); });
    runner->SetBusyChanged([enableCompile](bool) { enableCompile(); });
    connect(exporterForm, &TExporterForm::BusyChanged, this, [enableCompile](bool) { enableCompile(); });
    runner->SetLogView(log);
    runner->SetTestRun([this] { TestRunButtonClick(); });
    runner->SetBeep([] { QApplication::beep(); });
    runner->SetMarkLastCompiled([this] { m_model.MarkLastCompiledPackage(); });
}

void TDisplayForm::CompilePackage(const QString &package)
{
    if (!m_compileRunner || m_compileRunner->Busy())
        return;
    // The compile rewrites EditPackages and marks a package node; the
    // trees wait for it like for any other model operation.
    RunModelCommand(QStringLiteral("compiling"), [this, &package] { m_compileRunner->CompilePackage(package); });
}

void TDisplayForm::CompilethispackageMenuItemClick()
{
    CompilePackage(m_commands->Popup().CompilePackage());
}

void TDisplayForm::CompileMenuItemClick()
{
    CompilePackage(QString());
}

void TDisplayForm::CompilerLogButtonClick()
{
    if (m_compilerLog)
        RunGuarded(m_prompter, [this] { m_compilerLog->ShowCompileLog(); });
}

void TDisplayForm::PackageexporterMenuItemClick()
{
    if (!m_exporterForm)
        return;
    m_exporterForm->show();
    m_exporterForm->raise();
    m_exporterForm->activateWindow();
}

void TDisplayForm::SetNewClassDialog(NewClassDialog *dialog)
{
    m_newClass->SetDialog(dialog);
    m_popup->SetAvailable(m_popup->CreateClassPopupItem, dialog != nullptr);
    m_popup->SetAvailable(m_popup->Addeditcustomcomment, dialog != nullptr);
}

void TDisplayForm::CreateClassPopupItemClick()
{
    // The creation refuses by itself while another operation runs, and
    // holds the model while it loads the package.
    RunGuarded(m_prompter, [this] { m_newClass->CreateClassPopupItemClick(m_commands->PopupTag()); });
}

void TDisplayForm::AddeditcustomcommentClick()
{
    RunGuarded(m_prompter, [this] { m_newClass->AddeditcustomcommentClick(m_commands->RightClickedNode()); });
}

void TDisplayForm::SetIntWizard(TNewINTWizard *wizard)
{
    m_intWizard = wizard;
    m_popup->SetAvailable(m_popup->AddINTfilePopupItem, wizard != nullptr);
    if (!wizard) {
        m_commands->SetIntWizard({});
        return;
    }
    wizard->SetOpenInEditorHandler([this](const QString &path) { m_commands->OpenInEditor(path); });
    m_commands->SetIntWizard([this](const QString &package) {
        if (m_intWizard)
            m_intWizard->ShowFor(package);
    });
}

void TDisplayForm::AddINTfilePopupItemClick()
{
    TreeNode *node = m_commands->RightClickedNode();
    if (!node || !m_intWizard)
        return;
    const QString package = node->Text();
    RunGuarded(m_prompter, [this, &package] { m_intWizard->ShowFor(package); });
}

void TDisplayForm::SetOrphanForm(TFindOrphanForm *form)
{
    m_orphanForm = form;
    m_orphanItem->setEnabled(form != nullptr);
    if (form)
        form->SetModel(&m_model);
}

void TDisplayForm::FindorphanfilesMenuItemClick()
{
    if (m_orphanForm)
        m_orphanForm->Show();
}

void TDisplayForm::FindClassPopupItemClick()
{
    if (m_findBox)
        m_findBox->ShowFor(m_commands->RightClickedNode());
}

void TDisplayForm::SetLaunchSeams(Shell *shell, ErrorReporter *errors)
{
    m_launchers.reset();
    m_commands->SetShell(shell, errors);
    if (shell && errors)
        m_launchers = std::make_unique<Launchers>(m_options, m_model, *shell, *errors, m_prompter);
}

void TDisplayForm::GreyBusyCommands(bool grey)
{
    const bool enable = !(grey && m_model.Busy());
    for (QAction *action : std::as_const(m_modelCommands))
        action->setEnabled(enable);
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
    const QTime start = QTime::currentTime();
    {
        ClassModel::BusyScope busy(m_model, QStringLiteral("loading the default state"));
        RunGuarded(m_prompter, [this] { m_model.ResetModel(); });
        if (!m_keyboard.CtrlHeld() && m_defaultStateLoader && !m_pump.Terminating())
            RunGuarded(m_prompter, m_defaultStateLoader);
        RunGuarded(m_prompter, [this] {
            m_model.SortTrees();
            m_model.MarkLastCompiledPackage();
        });
    }
    if (m_waitBox)
        m_waitBox->close();
    SetStatusText(ClassesLoadedReport(QStringLiteral("Startup time: "), start, QTime::currentTime(),
                                      m_model.ClassCount()));
    m_startedUp = true;
    OpenWaitingFiles();
}

// ---- Files from the command line ------------------------------------------

void TDisplayForm::OpenFile(const QString &path)
{
    if (path.isEmpty())
        return;
    m_waitingFiles << path;
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
    if (m_pump.Terminating()) {
        m_waitingFiles.clear();
        return;
    }
    if (!m_startedUp || m_waitingFiles.isEmpty())
        return;   // the end of the start-up opens them
    if (m_model.Busy()) {
        ScheduleWaitingFiles(250);   // after the running operation
        return;
    }
    while (!m_waitingFiles.isEmpty() && !m_pump.Terminating()) {
        const QString path = m_waitingFiles.takeFirst();
        switch (ProgramArguments::KindOf(path)) {
        case ProgramArguments::FileKind::State:
            LoadStateFile(path);
            break;
        case ProgramArguments::FileKind::Class:
            SelectClass(ProgramArguments::ClassNameOf(path));
            break;
        default:
            SetStatusText(QStringLiteral("Not opened: %1 is neither a browser state (.Kelvar) nor a class (.uc)")
                              .arg(QDir::toNativeSeparators(path)));
            break;
        }
    }
}

void TDisplayForm::LoadStateFile(const QString &path)
{
    bool loaded = false;
    RunModelCommand(QStringLiteral("loading a state"),
                    [this, &path, &loaded] { loaded = StateFile(m_model).LoadState(path); });
    // An error of the loader has been shown; a file that could not be opened
    // at all is said here rather than passed over.
    if (!loaded && !m_pump.Terminating() && !QFileInfo(path).isFile())
        SetStatusText(QStringLiteral("Unable to load the state %1: no such file")
                          .arg(QDir::toNativeSeparators(path)));
    else if (!loaded && !m_pump.Terminating())
        SetStatusText(QStringLiteral("Unable to load the state %1").arg(QDir::toNativeSeparators(path)));
}

void TDisplayForm::SelectClass(const QString &name)
{
    TreeNode *classNode = nullptr;
    TreeNode *packageNode = nullptr;
    {
        // The searches pump events; other model commands wait meanwhile, so
        // the nodes found stay where they are.
        ClassModel::BusyScope busy(m_model, QStringLiteral("finding a class"));
        RunGuarded(m_prompter, [this, &name, &classNode, &packageNode] {
            classNode = m_model.FindNode(m_model.Browser(), name);
            if (!classNode)
                return;
            // In the package tree the class sits below its package, a child
            // of the root.
            const QString package = UpperCase(m_model.FindPackage(name));
            TreeNode *root = m_model.PackagesBrowser().First();
            for (int row = 0; root && row < root->ChildCount(); ++row) {
                TreeNode *candidate = root->Child(row);
                if (candidate->UpperText() == package) {
                    packageNode = m_model.FindNode(candidate, UpperCase(name));
                    break;
                }
            }
        });
    }
    if (m_pump.Terminating())
        return;
    if (!classNode) {
        SetStatusText(QStringLiteral("Class %1 is not loaded: tick its package to browse it").arg(name));
        return;
    }
    if (packageNode) {
        m_model.PackagesBrowser().Select(packageNode);
        m_packagesBrowser->scrollTo(m_packagesModel->IndexOf(packageNode));
    }
    m_model.Browser().Select(classNode);
    m_browser->scrollTo(m_browserModel->IndexOf(classNode));
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
    if (m_launchers)
        m_launchers->StopWatchingServers();
    RunGuarded(m_prompter, [this] { SaveWindowLayout(); });
    RunGuarded(m_prompter, [this] {
        if (!SaveOptions(m_options, m_registry, ProgramPath()))
            m_prompter.Error(QLatin1String(StoreFailedMessage));
    });
    m_pump.SetTerminating();
    if (m_quit)
        m_quit();
}

void TDisplayForm::ExitMenuItemClick()
{
    m_exiting = true;
    if (m_launchers)
        m_launchers->StopWatchingServers();
    m_pump.SetTerminating();
    if (m_quit)
        m_quit();
}

void TDisplayForm::AboutMenuClick()
{
    if (!m_aboutBox)
        return;
    m_aboutBox->show();
    m_aboutBox->raise();
    m_aboutBox->activateWindow();
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
    if (!m_pickers || RefuseWhileBusy())
        return;
    const std::optional<QString> file = m_pickers->PickFile(
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
    if (!m_pickers || RefuseWhileBusy())
        return;
    const std::optional<QString> file = m_pickers->PickFile(
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

bool TDisplayForm::AsksForOptionsAtStart() const
{
    return m_firstStart || m_options.BaseDir.isEmpty();
}

void TDisplayForm::SetbasedirMenuItemClick()
{
    if (!m_optionsEditor || RefuseWhileBusy())
        return;
    RunGuarded(m_prompter, [this] {
        const QString previousBaseDir = m_options.BaseDir;
        const std::optional<SetDirValues> values = m_optionsEditor->Edit(m_options);
        if (!values)
            return;
        values->ApplyTo(m_options);
        if (!SaveOptions(m_options, m_registry, ProgramPath()))
            m_prompter.Error(QLatin1String(StoreFailedMessage));
        // Exact comparison: a change of letter case alone reloads as well.
        if (m_options.BaseDir == previousBaseDir)
            return;
        if (RefuseWhileBusy())
            return;
        m_model.ResetModel();
    });
}

void TDisplayForm::SwitchClassPackagetreeMenuitemClick()
{
    m_commands->ClearPopupTag();
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
        found = m_commands->SwitchTarget(tree);
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
    RunModelCommand(QStringLiteral("opening a file"), [this, node] { m_commands->BrowserDblClick(node); });
}

// ---- The pop-up ----------------------------------------------------------

void TDisplayForm::BrowserMouseDown(const QPoint &pos)
{
    if (RefuseWhileBusy())
        return;
    bool open = false;
    RunGuarded(m_prompter, [this, &open] { open = m_commands->BrowserMouseDown(); });
    if (open)
        OpenPopup(m_browser, pos);
}

void TDisplayForm::PackagesBrowserMouseDown(const QPoint &pos)
{
    if (RefuseWhileBusy())
        return;
    bool open = false;
    RunGuarded(m_prompter, [this, &open] { open = m_commands->PackagesBrowserMouseDown(); });
    if (open)
        OpenPopup(m_packagesBrowser, pos);
}

void TDisplayForm::OpenPopup(KelvarTreeView *view, const QPoint &pos)
{
    m_popup->Apply(m_commands->Popup());
    if (m_popupRunner)
        m_popupRunner(m_popup, view->viewport()->mapToGlobal(pos));
}

void TDisplayForm::EditthisclassMenuItemClick()
{
    RunModelCommand(QStringLiteral("opening a file"), [this] { m_commands->EditthisclassMenuItemClick(); });
}

void TDisplayForm::DeleteClassPopupItemClick()
{
    TreeNode *node = m_commands->PopupTag();
    if (!node || !node->Parent())
        return;
    RunModelCommand(QStringLiteral("removing"), [this, node] { PackageRemover(m_model).RemoveNode(node, true); });
}

void TDisplayForm::ExplorePopupItemClick()
{
    if (!m_launchers)
        return;
    RunModelCommand(QStringLiteral("looking up a package"),
                    [this] { m_launchers->ExplorePopupItemClick(m_commands->RightClickedNode()); });
}

// ---- Launches ------------------------------------------------------------

void TDisplayForm::EditUTiniMenuItemClick()
{
    RunGuarded(m_prompter, [this] { m_commands->EditUTiniMenuItemClick(); });
}

void TDisplayForm::UTLogClick()
{
    if (m_launchers)
        RunGuarded(m_prompter, [this] { m_launchers->UTLogClick(); });
}

void TDisplayForm::ExploreUTButtonClick()
{
    if (m_launchers)
        RunGuarded(m_prompter, [this] { m_launchers->ExploreUTButtonClick(); });
}

void TDisplayForm::TestRunButtonClick()
{
    if (m_launchers)
        RunGuarded(m_prompter, [this] { m_launchers->TestRunButtonClick(); });
}

void TDisplayForm::JoinyourselfMenuItemClick()
{
    if (m_launchers)
        RunGuarded(m_prompter, [this] { m_launchers->JoinyourselfMenuItemClick(); });
}

void TDisplayForm::RundedicatedserverMenuItemClick()
{
    if (m_launchers)
        RunGuarded(m_prompter, [this] { m_launchers->RundedicatedserverMenuItemClick(); });
}

// ---- View toggles --------------------------------------------------------

void TDisplayForm::UpdateViewChecks()
{
    m_toolbarItem->setChecked(!m_toolBar->isHidden());
    const PaneLayout &panes = m_windowPanes->Panes();
    m_classesTreeItem->setChecked(panes.browserVisible);
    m_packagesTreeItem->setChecked(panes.packagesVisible);
    m_packagesListItem->setChecked(panes.listVisible);
}

const PaneLayout &TDisplayForm::Panes()
{
    return m_windowPanes->Panes();
}

void TDisplayForm::ToolbarMenuItemClick()
{
    m_toolBar->setVisible(m_toolBar->isHidden());
    UpdateViewChecks();
}

void TDisplayForm::ClassestreeMenuItemClick()
{
    m_windowPanes->ToggleClassesTree();
    UpdateViewChecks();
}

void TDisplayForm::PackagestreeMenuItemClick()
{
    m_windowPanes->TogglePackagesTree();
    UpdateViewChecks();
}

void TDisplayForm::PackageslistMenuItemClick()
{
    m_windowPanes->TogglePackagesList();
    UpdateViewChecks();
}

// ---- Window layout -------------------------------------------------------

void TDisplayForm::LoadWindowLayout()
{
    WindowLayout layout;
    try {
        layout.LoadWindowLayout(m_registry);
    } catch (...) {
        // What was read before the error stays in force.
        ApplyLayout(layout);
        throw;
    }
    ApplyLayout(layout);
    m_storedLayout = std::make_unique<WindowLayout>(layout);
}

void TDisplayForm::ApplyLayout(const WindowLayout &layout)
{
    m_windowPanes->ApplyLayout(layout);
    UpdateViewChecks();
}

WindowLayout TDisplayForm::CurrentLayout()
{
    WindowLayout layout = m_windowPanes->CurrentLayout();
    // The finder's place: where it is now once shown, else as stored.
    const std::optional<TFindBox::Placement> placed = m_findBox ? m_findBox->CurrentPlacement() : std::nullopt;
    if (placed) {
        layout.findBoxLeft = placed->geometry.left();
        layout.findBoxTop = placed->geometry.top();
        layout.findBoxWidth = placed->geometry.width();
        layout.findBoxHeight = placed->geometry.height();
        for (int column = 0; column < TFindBox::ColumnCount; ++column)
            layout.findBoxColumns[column] = placed->columns[column];
    } else if (m_storedLayout) {
        layout.findBoxLeft = m_storedLayout->findBoxLeft;
        layout.findBoxTop = m_storedLayout->findBoxTop;
        layout.findBoxWidth = m_storedLayout->findBoxWidth;
        layout.findBoxHeight = m_storedLayout->findBoxHeight;
        for (int column = 0; column < TFindBox::ColumnCount; ++column)
            layout.findBoxColumns[column] = m_storedLayout->findBoxColumns[column];
    }
    return layout;
}

void TDisplayForm::SaveWindowLayout()
{
    CurrentLayout().SaveWindowLayout(m_registry);
}

} // namespace kelvarin
