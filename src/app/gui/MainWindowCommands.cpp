// The main window's commands: one table gives each its caption, hint, icon,
// shortcut and handler; one action serves the menu and the tool bar. Below
// it, the commands that hand over to the other windows of the composition
// root (compile, compiler log, exporter, finder, wizards).

#include "app/gui/ClassPopup.h"
#include "app/gui/DisplayForm.h"
#include "app/gui/KelvarTreeView.h"
#include "app/gui/MainWindowParts.h"
#include "app/gui/TreeModelAdapter.h"
#include "model/ClassModel.h"
#include "session/CommandGuard.h"

#include <QAction>
#include <QHash>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

namespace kelvarin {

namespace {

using Handler = void (TDisplayForm::*)();

enum class Group
{
    Plain,     // always live
    Model,     // reads or changes the model: greyed in the menus while one runs
    Compile,   // runs UCC: greyed while UCC runs
    Toggle,    // a view toggle, checkable
};

struct Command
{
    const char *name;      // the action's object name
    const char *caption;   // in the menu; null: a tool bar button only
    const char *hint;      // on the tool bar; null: a menu item only
    QStyle::StandardPixmap icon;
    int key;               // shortcut, 0: none
    Handler handler;
    Group group;
};

constexpr QStyle::StandardPixmap NoIcon = QStyle::SP_CustomBase;

const Command CommandTable[] = {
    {"ReaddefaultpackagesMenuItem", "R&ead default packages", "Read default packages", QStyle::SP_DirHomeIcon, 0,
     &TDisplayForm::ReaddefaultpackagesMenuItemClick, Group::Model},
    {"ResetMenuItem", "&Reset", "Reset", QStyle::SP_DialogResetButton, 0, &TDisplayForm::ResetMenuItemClick,
     Group::Model},
    {"LoadStateMenuItem", "&Load state...", "Load state", QStyle::SP_DialogOpenButton, 0,
     &TDisplayForm::LoadStateMenuItemClick, Group::Model},
    {"SavestateMenuItem", "&Save state...", "Save state", QStyle::SP_DialogSaveButton, 0,
     &TDisplayForm::SavestateMenuItemClick, Group::Model},
    {"SaveasdefaultstateMenuItem", "&Save as default state", "Save current state as the default",
     QStyle::SP_DriveFDIcon, 0, &TDisplayForm::SaveasdefaultstateMenuItemClick, Group::Model},
    {"ExitMenuItem", "E&xit", nullptr, NoIcon, 0, &TDisplayForm::ExitMenuItemClick, Group::Plain},
    {"EditUTiniMenuItem", "&Edit UnrealTournament.ini", "Edit UnrealTournament.ini", QStyle::SP_FileIcon,
     Qt::Key_F4, &TDisplayForm::EditUTiniMenuItemClick, Group::Plain},
    {"RefreshMenuItem", "&Refresh browser", nullptr, NoIcon, Qt::Key_F5, &TDisplayForm::RefreshMenuItemClick,
     Group::Model},
    {"SwitchClassPackagetreeMenuitem", "&Switch Class/Package tree", "Switch between the two trees",
     QStyle::SP_ArrowRight, Qt::Key_F6, &TDisplayForm::SwitchClassPackagetreeMenuitemClick, Group::Model},
    {"CompilerLogMenuItem", "Compiler log...", "Show compilation log", QStyle::SP_FileDialogInfoView, Qt::Key_F10,
     &TDisplayForm::CompilerLogButtonClick, Group::Plain},
    {"UTLogMenuItem", "&UT Log...", nullptr, NoIcon, Qt::Key_F11, &TDisplayForm::UTLogClick, Group::Plain},
    {"ToolbarMenuItem", "Toolbar", nullptr, NoIcon, 0, &TDisplayForm::ToolbarMenuItemClick, Group::Toggle},
    {"ClassestreeMenuItem", "Classes tree", nullptr, NoIcon, 0, &TDisplayForm::ClassestreeMenuItemClick,
     Group::Toggle},
    {"PackagestreeMenuItem", "Packages tree", nullptr, NoIcon, 0, &TDisplayForm::PackagestreeMenuItemClick,
     Group::Toggle},
    {"PackageslistMenuItem", "Packages list", nullptr, NoIcon, 0, &TDisplayForm::PackageslistMenuItemClick,
     Group::Toggle},
    {"AboutMenuItem", "&About...", "About", QStyle::SP_MessageBoxInformation, Qt::Key_F12,
     &TDisplayForm::AboutMenuClick, Group::Plain},
    {"SetbasedirMenuItem", "&Set options...", "Edit options", QStyle::SP_ComputerIcon, 0,
     &TDisplayForm::SetbasedirMenuItemClick, Group::Model},
    {"PackageexporterMenuItem", "&Package exporter...", "Package exporter", QStyle::SP_ArrowDown, Qt::Key_F7,
     &TDisplayForm::PackageexporterMenuItemClick, Group::Plain},
    {"CompileMenuItem", "&Compile...", "Compile default package", QStyle::SP_CommandLink, Qt::Key_F9,
     &TDisplayForm::CompileMenuItemClick, Group::Compile},
    {"ExploreUTMenuItem", "&Explore UT directory", "Explore UT directory", QStyle::SP_DirOpenIcon, 0,
     &TDisplayForm::ExploreUTButtonClick, Group::Plain},
    {"TestRunButton", nullptr, "Test run!", QStyle::SP_MediaPlay, 0, &TDisplayForm::TestRunButtonClick,
     Group::Plain},
    {"FindorphanfilesMenuItem", "&Find orphan files..", nullptr, NoIcon, 0,
     &TDisplayForm::FindorphanfilesMenuItemClick, Group::Plain},
    {"RundedicatedserverMenuItem", "&Run dedicated server", nullptr, NoIcon, 0,
     &TDisplayForm::RundedicatedserverMenuItemClick, Group::Plain},
    {"JoinyourselfMenuItem", "Join yourself", nullptr, NoIcon, 0, &TDisplayForm::JoinyourselfMenuItemClick,
     Group::Plain},
};

// The menus and the tool bar by command name; "-" is a separator.
struct MenuLayout
{
    const char *caption;
    const char *name;
    std::initializer_list<const char *> items;
};

const MenuLayout Menus[] = {
    {"&File", "FileMenu",
     {"ReaddefaultpackagesMenuItem", "ResetMenuItem", "-", "LoadStateMenuItem", "SavestateMenuItem",
      "SaveasdefaultstateMenuItem", "-", "ExitMenuItem"}},
    {"&View", "ViewMenu",
     {"EditUTiniMenuItem", "RefreshMenuItem", "SwitchClassPackagetreeMenuitem", "CompilerLogMenuItem",
      "UTLogMenuItem", "-", "ToolbarMenuItem", "ClassestreeMenuItem", "PackagestreeMenuItem",
      "PackageslistMenuItem", "-", "AboutMenuItem"}},
    {"&Misc", "MiscMenu",
     {"SetbasedirMenuItem", "PackageexporterMenuItem", "CompileMenuItem", "ExploreUTMenuItem",
      "FindorphanfilesMenuItem"}},
    {"&Server", "ServerMenu", {"RundedicatedserverMenuItem", "JoinyourselfMenuItem"}},
};

const std::initializer_list<const char *> ToolBarItems = {
    "ReaddefaultpackagesMenuItem", "ResetMenuItem", "-", "LoadStateMenuItem", "SavestateMenuItem",
    "SaveasdefaultstateMenuItem", "-", "SwitchClassPackagetreeMenuitem", "CompilerLogMenuItem", "-",
    "EditUTiniMenuItem", "SetbasedirMenuItem", "PackageexporterMenuItem", "CompileMenuItem", "-",
    "ExploreUTMenuItem", "TestRunButton", "-", "AboutMenuItem"};

} // namespace

void TDisplayForm::BuildCommands()
{
    QHash<QByteArray, QAction *> actions;
    QStyle *st = style();
    for (const Command &command : CommandTable) {
        auto *action = new QAction(QLatin1String(command.caption ? command.caption : command.hint), this);
        action->setObjectName(QLatin1String(command.name));
        if (command.hint)
            action->setToolTip(QLatin1String(command.hint));
        if (command.icon != NoIcon)
            action->setIcon(st->standardIcon(command.icon));
        if (command.key)
            action->setShortcut(QKeySequence(command.key));
        const Handler handler = command.handler;
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        switch (command.group) {
        case Group::Model:
            m_modelCommands << action;
            break;
        case Group::Compile:
            m_compileCommands << action;
            break;
        case Group::Toggle:
            action->setCheckable(true);
            action->setChecked(true);
            break;
        case Group::Plain:
            break;
        }
        actions.insert(command.name, action);
    }
    m_toolbarItem = actions.value("ToolbarMenuItem");
    m_classesTreeItem = actions.value("ClassestreeMenuItem");
    m_packagesTreeItem = actions.value("PackagestreeMenuItem");
    m_packagesListItem = actions.value("PackageslistMenuItem");

    for (const MenuLayout &layout : Menus) {
        QMenu *menu = menuBar()->addMenu(QLatin1String(layout.caption));
        menu->setObjectName(QLatin1String(layout.name));
        for (const char *item : layout.items) {
            if (qstrcmp(item, "-") == 0)
                menu->addSeparator();
            else
                menu->addAction(actions.value(item));
        }
        // While a model operation runs, its commands show greyed in the open
        // menu; outside menus they stay enabled and refuse with a status text.
        connect(menu, &QMenu::aboutToShow, this, [this] { GreyBusyCommands(true); });
        connect(menu, &QMenu::aboutToHide, this, [this] { GreyBusyCommands(false); });
    }

    m_toolBar = addToolBar(QStringLiteral("Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(16, 16));
    for (const char *item : ToolBarItems) {
        if (qstrcmp(item, "-") == 0)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(actions.value(item));
    }
}

void TDisplayForm::BuildPopup()
{
    m_popup = new ClassPopup(this);
    const auto connectItem = [this](QAction *item, Handler handler) {
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
}

void TDisplayForm::EnableCompileCommands(bool enable)
{
    for (QAction *action : std::as_const(m_compileCommands))
        action->setEnabled(enable);
    m_popup->SetAvailable(m_popup->CompilethispackageMenuItem, enable);
}

void TDisplayForm::GreyBusyCommands(bool grey)
{
    const bool enable = !(grey && m_model.Busy());
    for (QAction *action : std::as_const(m_modelCommands))
        action->setEnabled(enable);
}

// ---- The other windows ----------------------------------------------------

void TDisplayForm::ShowOnTop(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

void TDisplayForm::BrowseNode(int column, TreeNode *node)
{
    KelvarTreeView *view = column == 0 ? m_browser : m_packagesBrowser;
    view->Adapter()->SourceTree().Select(node);
    if (node)
        view->scrollTo(view->Adapter()->IndexOf(node));
    view->setFocus();
}

void TDisplayForm::EditNode(TreeNode *node)
{
    RunModelCommand(QStringLiteral("opening a file"), [this, node] { m_parts.commands.Edit(node); });
}

void TDisplayForm::OpenSourceLine(const QString &path, int line)
{
    RunGuarded(m_prompter, [this, &path, line] { m_parts.commands.OpenInEditor(path, line); });
}

void TDisplayForm::CompilePackage(const QString &package)
{
    if (m_parts.compileRunner.Busy())
        return;
    // The compile rewrites EditPackages and marks a package node; the
    // trees wait for it like for any other model operation.
    RunModelCommand(QStringLiteral("compiling"), [this, &package] { m_parts.compileRunner.CompilePackage(package); });
}

void TDisplayForm::CompilethispackageMenuItemClick()
{
    CompilePackage(m_parts.commands.Popup().CompilePackage());
}

void TDisplayForm::CompileMenuItemClick()
{
    CompilePackage(QString());
}

void TDisplayForm::CompilerLogButtonClick()
{
    RunGuarded(m_prompter, [this] { m_parts.compilerLog.ShowCompileLog(); });
}

void TDisplayForm::PackageexporterMenuItemClick()
{
    ShowOnTop(&m_parts.exporterForm);
}

void TDisplayForm::CreateClassPopupItemClick()
{
    // The creation refuses by itself while another operation runs, and
    // holds the model while it loads the package.
    RunGuarded(m_prompter, [this] { m_parts.newClass.CreateClassPopupItemClick(m_parts.commands.PopupTag()); });
}

void TDisplayForm::AddeditcustomcommentClick()
{
    RunGuarded(m_prompter,
               [this] { m_parts.newClass.AddeditcustomcommentClick(m_parts.commands.RightClickedNode()); });
}

void TDisplayForm::AddINTfilePopupItemClick()
{
    TreeNode *node = m_parts.commands.RightClickedNode();
    if (!node)
        return;
    const QString package = node->Text();
    RunGuarded(m_prompter, [this, &package] { m_parts.newIntWizard.ShowFor(package); });
}

void TDisplayForm::FindorphanfilesMenuItemClick()
{
    m_parts.findOrphanForm.Show();
}

void TDisplayForm::FindClassPopupItemClick()
{
    m_parts.findBox.ShowFor(m_parts.commands.RightClickedNode());
}

} // namespace kelvarin
