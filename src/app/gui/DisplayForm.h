#pragma once

#include "KelvarinVersion.h"
#include "app/KeywordTracker.h"
#include "app/PaneLayout.h"
#include "model/PackageList.h"
#include "session/FileOpenQueue.h"
#include "session/OptionsChange.h"
#include "session/StartSequence.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QLabel;
class QListView;
class QSplitter;
class QToolBar;

namespace kelvarin {

class ClassModel;
class ClassPopup;
class EventPump;
class KelvarTreeView;
class MainCommands;
class MainWindowPanes;
class MainWindowParts;
class PackageListAdapter;
class Prompter;
class Registry;
class SortedListAdapter;
class TOptions;
class TreeModelAdapter;
class TreeNode;
struct WindowLayout;

// The main window: the class tree, the package tree with the two hidden
// lists, the package check list, menus, tool bar and status bar. It owns no
// rule of the model; every command forwards to the model, the options or
// another window of the composition root (MainWindowParts) and catches what
// they raise at its own boundary.
class TDisplayForm : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr const char *Caption = "Kelvarin " KELVARIN_VERSION;
    static constexpr const char *InitialStatus = "Hollowgate Unreal Class Browser";
    static constexpr const char *LoadFailedMessage = StartSequence::LoadFailedMessage;
    static constexpr const char *StoreFailedMessage = OptionsChange::StoreFailedMessage;
    static constexpr int DesignedWidth = 532;
    static constexpr int DesignedHeight = 395;

    // Builds the window, then (unless Ctrl is held) loads the options and
    // the window layout. The other windows of parts are built after this
    // one and reached only from its handlers.
    explicit TDisplayForm(MainWindowParts &parts, QWidget *parent = nullptr);
    ~TDisplayForm() override;

    // Loads the default browser state at the first showing (skipped with
    // Ctrl held). Unset: nothing is loaded, as when no default state exists.
    void SetDefaultStateLoader(std::function<void()> loader) { m_defaultStateLoader = std::move(loader); }
    // Opens a file given on the command line or handed over by a later start
    // (see FileOpenQueue), from the event loop.
    void OpenFile(const QString &path);
    // Opens the waiting files now when the start-up is over and nothing else
    // runs; otherwise they wait on.
    void OpenWaitingFiles();
    // Puts the finder where the layout store had it in an earlier run.
    void PlaceFindBox();
    // The compile commands follow the UCC gate.
    void EnableCompileCommands(bool enable);

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
    // The finder's grid: Browse selects a node in one of the trees (column 0
    // the class tree), Edit opens its source; the compiler log opens a line.
    void BrowseNode(int column, TreeNode *node);
    void EditNode(TreeNode *node);
    void OpenSourceLine(const QString &path, int line);
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
    MainCommands &Commands() const;


protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // No tool bar menu: the View menu is where the tool bar is switched.
    QMenu *createPopupMenu() override { return nullptr; }

private:
    void BuildPanes();
    void BuildCommands();
    void BuildPopup();
    void OpenPopup(KelvarTreeView *view, const QPoint &pos);
    void UpdateViewChecks();
    bool RefuseWhileBusy();
    // Runs a command that reads or changes the model: refused while another
    // one runs, marked busy while it runs, its errors shown at its end.
    void RunModelCommand(const QString &what, const std::function<void()> &command);
    void GreyBusyCommands(bool grey);
    void SwitchToTree(KelvarTreeView *target);
    void HandleTypedText(const QString &text);
    void ScheduleWaitingFiles(int delayMs);
    bool LoadStateFile(const QString &path);
    void SelectClass(const QString &name);
    void ShowOnTop(QWidget *window);

    MainWindowParts &m_parts;
    TOptions &m_options;
    Registry &m_registry;
    ClassModel &m_model;
    Prompter &m_prompter;
    EventPump &m_pump;
    StartSequence m_start;
    FileOpenQueue m_waitingFiles;

    // The finder's place as the layout store had it, until the finder is
    // shown and placed anew.
    std::unique_ptr<WindowLayout> m_storedLayout;
    std::function<void()> m_defaultStateLoader;

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
    // The compile commands: greyed while UCC runs.
    QList<QAction *> m_compileCommands;

    std::unique_ptr<MainWindowPanes> m_windowPanes;
    KeywordTracker m_keywords;
    bool m_shownOnce = false;
    bool m_openScheduled = false;
    bool m_exiting = false;
    bool m_closed = false;
};

} // namespace kelvarin
