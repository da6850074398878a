// The main window's panes: the two trees, the hidden lists and the package
// list in a splitter, the view toggles, and the window layout as the
// registry store keeps it.

#include "app/gui/DisplayForm.h"
#include "app/gui/KelvarTreeView.h"
#include "app/gui/ListAdapters.h"
#include "app/gui/MainWindowPanes.h"
#include "app/gui/MainWindowParts.h"
#include "app/gui/TreeModelAdapter.h"
#include "persist/WindowLayout.h"

#include <QListView>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

namespace kelvarin {

namespace {

QListView *MakeList(QWidget *parent, const char *name)
{
    auto *list = new QListView(parent);
    list->setObjectName(QLatin1String(name));
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setUniformItemSizes(true);
    return list;
}

} // namespace

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
    const std::optional<TFindBox::Placement> placed = m_parts.findBox.CurrentPlacement();
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

void TDisplayForm::PlaceFindBox()
{
    // The finder opens where the user left it in an earlier run.
    const WindowLayout *stored = m_storedLayout.get();
    if (!stored || !stored->findBoxLeft || !stored->findBoxTop || !stored->findBoxWidth || !stored->findBoxHeight)
        return;
    TFindBox::Placement placement;
    placement.geometry = QRect(*stored->findBoxLeft, *stored->findBoxTop, *stored->findBoxWidth,
                               *stored->findBoxHeight);
    for (int column = 0; column < TFindBox::ColumnCount; ++column)
        placement.columns[column] = stored->findBoxColumns[column].value_or(0);
    m_parts.findBox.RestorePlacement(placement);
}

} // namespace kelvarin
