#pragma once

#include "KelvarinVersion.h"
#include "app/KeywordTracker.h"
#include "app/PaneLayout.h"
#include "model/PackageList.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class QLabel;
class QListView;
class QSplitter;
class QToolBar;

namespace kelvarin {

class ClassModel;
class ClassPopup;
class ErrorReporter;
class EventPump;
class Keyboard;
class KelvarTreeView;
class Launchers;
class MainCommands;
class MainWindowPanes;
class OptionsEditor;
class Pickers;
class PackageListAdapter;
class Prompter;
class Registry;
class Shell;
class SortedListAdapter;
class NewClassCommands;
class NewClassDialog;
class CompileRunner;
class PackageExporter;
class TCompilerLog;
class TExporterForm;
class TFindBox;
class TFindOrphanForm;
class TNewINTWizard;
class TAboutBox;
class TOptions;
class TWaitBox;
class TreeModelAdapter;
class TreeNode;
struct WindowLayout;

// The main window: the class tree, the package tree with the two hidden
// lists, the package check list, menus, tool bar and status bar. It owns no
// rule of the model; every command forwards to the model or the options and
// catches what they raise at its own boundary.
class TDisplayForm : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr const char *Caption = "Kelvarin " KELVARIN_VERSION;
    static constexpr const char *InitialStatus = "Hollowgate Unreal Class Browser";
    static constexpr const char *LoadFailedMessage = "Unable to load user settings.\r\nUsing defaults.";
    static constexpr const char *StoreFailedMessage = "Unable to store options.\r\nChanges might not be remembered.";
    static constexpr int DesignedWidth = 532;
    static constexpr int DesignedHeight = 395;

    // Builds the window, then (unless Ctrl is held) loads the options and
    // the window layout.
    TDisplayForm(TOptions &options, Registry &registry, ClassModel &model, Prompter &prompter,
                 Keyboard &keyboard, EventPump &pump, QWidget *parent = nullptr);
    ~TDisplayForm() override;

    // The windows created after this one.
    void SetOptionsEditor(OptionsEditor *editor) { m_optionsEditor = editor; }
    void SetWaitBox(TWaitBox *waitBox);
    void SetAboutBox(TAboutBox *aboutBox);
    // The file pickers of the state commands.
    void SetPickers(Pickers *pickers) { m_pickers = pickers; }

    // Loads the default browser state at the first showing (skipped with
    // Ctrl held). Unset: nothing is loaded, as when no default state exists.
    void SetDefaultStateLoader(std::function<void()> loader) { m_defaultStateLoader = std::move(loader); }
    // Opens a file given on the command line or handed over by a later start:
    // a browser state (".Kelvar") is loaded as "&Load state..." loads it, a
    // class source (".uc") selects its class in the trees. Files wait until
    // the start-up has loaded the default state and no other operation runs;
    // they are opened in the order given, from the event loop.
    void OpenFile(const QString &path);
    // Opens the waiting files now when the start-up is over and nothing else
    // runs; otherwise they wait on.
    void OpenWaitingFiles();
    // Where files, folders and the game's programs are opened, and where a
    // failed launch is shown. Unset: those commands do nothing.
    void SetLaunchSeams(Shell *shell, ErrorReporter *errors);
    // The class finder, opened from the pop-up; its grid's Browse and Edit
    // come back to the trees and the editor.
    void SetFindBox(TFindBox *findBox);
    // The compile runner with its log window, and the package exporter.
    void SetCompileTools(CompileRunner *runner, TCompilerLog *log, PackageExporter *exporter,
                         TExporterForm *exporterForm);
    // The new-class dialog of the pop-up's "Create new class ..." items.
    void SetNewClassDialog(NewClassDialog *dialog);
    // The INT wizard of the pop-up and of localisation-file nodes.
    void SetIntWizard(TNewINTWizard *wizard);
    // The orphan file finder of "&Find orphan files..".
    void SetOrphanForm(TFindOrphanForm *form);
    // Shows the pop-up at a screen position. Default: QMenu::popup.
    void SetPopupRunner(std::function<void(QMenu *, const QPoint &)> runner) { m_popupRunner = std::move(runner); }
    // Ends the message loop. Default: QCoreApplication::exit(0), which does
    // not send close events, so the close handler does not run again.
    void SetQuitHandler(std::function<void()> quit) { m_quit = std::move(quit); }

    // Handlers of the window and its commands.
    void FormShow();
    void FormClose();
    // Offers one typed character to the keywords; raises "Test crash!".
    void FormKeyPress(QChar c);
    void ExitMenuItemClick();
    void AboutMenuClick();
    void SetbasedirMenuItemClick();
    // True when start-up opens the options dialog before any window: the
    // game directory is empty, or this is the first start (no settings
    // store at all), which greets with the dialog instead of an error.
    bool AsksForOptionsAtStart() const;
    void ResetMenuItemClick();
    void ReaddefaultpackagesMenuItemClick();
    void RefreshMenuItemClick();
    void LoadStateMenuItemClick();
    void SavestateMenuItemClick();
    void SaveasdefaultstateMenuItemClick();
    // The user asked to tick (or untick) a package list item.
    void PackageListClickCheck(int row, kelvarin::PackageList::Mark requested);
    void SwitchClassPackagetreeMenuitemClick();
    void ToolbarMenuItemClick();
    void ClassestreeMenuItemClick();
    void PackagestreeMenuItemClick();
    void PackageslistMenuItemClick();
    void SwitchtreesPopupItemClick();
    void BrowserDblClick(TreeNode *node);
    // Right-button presses on the trees (viewport position of the mouse).
    void BrowserMouseDown(const QPoint &pos);
    void PackagesBrowserMouseDown(const QPoint &pos);
    void EditthisclassMenuItemClick();
    void DeleteClassPopupItemClick();
    void ExplorePopupItemClick();
    void FindClassPopupItemClick();
    void FindorphanfilesMenuItemClick();
    void CreateClassPopupItemClick();
    void AddeditcustomcommentClick();
    void AddINTfilePopupItemClick();
    // Compiles a package; empty: the last compiled one.
    void CompilePackage(const QString &package);
    void CompilethispackageMenuItemClick();
    void CompileMenuItemClick();
    void CompilerLogButtonClick();
    void PackageexporterMenuItemClick();
    void EditUTiniMenuItemClick();
    void UTLogClick();
    void ExploreUTButtonClick();
    void TestRunButtonClick();
    void JoinyourselfMenuItemClick();
    void RundedicatedserverMenuItemClick();

    void LoadWindowLayout();
    void SaveWindowLayout();
    WindowLayout CurrentLayout();
    void ApplyLayout(const WindowLayout &layout);
    const PaneLayout &Panes();

    QString StatusText() const;
    void SetStatusText(const QString &text);

    KelvarTreeView *Browser() const { return m_browser; }
    KelvarTreeView *PackagesBrowser() const { return m_packagesBrowser; }
    QListView *PackageBindingList() const { return m_bindingList; }
    QListView *FilesList() const { return m_filesList; }
    QListView *PackageList() const { return m_packageList; }
    QWidget *Panel1() const { return m_panel1; }
    QToolBar *ToolBar() const { return m_toolBar; }
    ClassPopup *Popup() const { return m_popup; }
    MainCommands &Commands() const { return *m_commands; }
    Launchers *LaunchCommands() const { return m_launchers.get(); }


protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // No tool bar menu: the View menu is where the tool bar is switched.
    QMenu *createPopupMenu() override { return nullptr; }

private:
    void BuildPanes();
    void BuildMenus();
    void BuildToolBar();
    void BuildPopup();
    void OpenPopup(KelvarTreeView *view, const QPoint &pos);
    QAction *AddAction(QWidget *container, const char *name, const QString &caption,
                       void (TDisplayForm::*handler)() = nullptr,
                       const QKeySequence &shortcut = QKeySequence());
    void UpdateViewChecks();
    bool RefuseWhileBusy();
    // Runs a command that reads or changes the model: refused while another
    // one runs, marked busy while it runs, its errors shown at its end.
    void RunModelCommand(const QString &what, const std::function<void()> &command);
    void GreyBusyCommands(bool grey);
    void SwitchToTree(KelvarTreeView *target);
    void HandleTypedText(const QString &text);
    void ScheduleWaitingFiles(int delayMs);
    void LoadStateFile(const QString &path);
    void SelectClass(const QString &name);

    TOptions &m_options;
    Registry &m_registry;
    ClassModel &m_model;
    Prompter &m_prompter;
    Keyboard &m_keyboard;
    EventPump &m_pump;

    OptionsEditor *m_optionsEditor = nullptr;
    Pickers *m_pickers = nullptr;
    QPointer<TWaitBox> m_waitBox;
    QPointer<TAboutBox> m_aboutBox;
    QPointer<TFindBox> m_findBox;
    // The finder's place as the layout store had it, until the finder
    // takes it (SetFindBox) or is shown and placed anew.
    std::unique_ptr<WindowLayout> m_storedLayout;
    QPointer<TFindOrphanForm> m_orphanForm;
    QPointer<TNewINTWizard> m_intWizard;
    QAction *m_orphanItem = nullptr;
    CompileRunner *m_compileRunner = nullptr;
    QPointer<TCompilerLog> m_compilerLog;
    PackageExporter *m_exporter = nullptr;
    QPointer<TExporterForm> m_exporterForm;
    // Compile, compiler log and exporter commands: usable once the tools
    // are set; the compile commands wait while UCC runs.
    QList<QAction *> m_compileCommands;
    QList<QAction *> m_toolCommands;
    std::function<void()> m_defaultStateLoader;
    std::function<void()> m_quit;
    std::function<void(QMenu *, const QPoint &)> m_popupRunner;
    std::unique_ptr<MainCommands> m_commands;
    std::unique_ptr<Launchers> m_launchers;
    std::unique_ptr<NewClassCommands> m_newClass;

    TreeModelAdapter *m_browserModel = nullptr;
    TreeModelAdapter *m_packagesModel = nullptr;
    SortedListAdapter *m_bindingModel = nullptr;
    SortedListAdapter *m_filesModel = nullptr;
    PackageListAdapter *m_packageListModel = nullptr;

    QSplitter *m_splitter = nullptr;
    KelvarTreeView *m_browser = nullptr;
    QWidget *m_panel1 = nullptr;
    KelvarTreeView *m_packagesBrowser = nullptr;
    QListView *m_bindingList = nullptr;
    QListView *m_filesList = nullptr;
    QListView *m_packageList = nullptr;
    QToolBar *m_toolBar = nullptr;
    QLabel *m_statusLabel = nullptr;
    ClassPopup *m_popup = nullptr;

    QAction *m_toolbarItem = nullptr;
    QAction *m_classesTreeItem = nullptr;
    QAction *m_packagesTreeItem = nullptr;
    QAction *m_packagesListItem = nullptr;
    // Commands that read or change the model: greyed while one runs.
    QList<QAction *> m_modelCommands;

    std::unique_ptr<MainWindowPanes> m_windowPanes;
    KeywordTracker m_keywords;
    bool m_shownOnce = false;
    bool m_firstStart = false;
    bool m_startedUp = false;
    bool m_openScheduled = false;
    QStringList m_waitingFiles;
    bool m_exiting = false;
    bool m_closed = false;
};

} // namespace kelvarin
