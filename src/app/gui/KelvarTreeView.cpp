#include "app/gui/KelvarTreeView.h"

#include "app/gui/TreeModelAdapter.h"
#include "model/Tree.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>

namespace kelvarin {

KelvarTreeView::KelvarTreeView(QWidget *parent)
    : QTreeView(parent)
{
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setIndentation(19);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setExpandsOnDoubleClick(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    // Names are never cut short with "...": the column is fitted to the
    // shown names after each change (once per batch of changes, a load adds
    // thousands), and a narrow pane scrolls sideways.
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    header()->setStretchLastSection(false);
    connect(this, &QTreeView::expanded, this, &KelvarTreeView::ScheduleFitColumn);
    connect(this, &QTreeView::collapsed, this, &KelvarTreeView::ScheduleFitColumn);
}

void KelvarTreeView::ScheduleFitColumn()
{
    if (m_fitScheduled)
        return;
    m_fitScheduled = true;
    QTimer::singleShot(0, this, &KelvarTreeView::FitColumn);
}

void KelvarTreeView::FitColumn()
{
    m_fitScheduled = false;
    if (!model())
        return;
    setColumnWidth(0, std::max(sizeHintForColumn(0), viewport()->width()));
}

void KelvarTreeView::resizeEvent(QResizeEvent *event)
{
    QTreeView::resizeEvent(event);
    ScheduleFitColumn();
}

void KelvarTreeView::SetAdapter(TreeModelAdapter *adapter)
{
    m_adapter = adapter;
    setModel(adapter);
    if (!adapter)
        return;
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { ViewCurrentChanged(current); });
    connect(adapter, &TreeModelAdapter::TreeSelectionChanged, this,
            [this](TreeNode *) { FollowTreeSelection(); });
    // The roots have no expand button, so they are opened as they appear.
    connect(adapter, &QAbstractItemModel::rowsInserted, this, &KelvarTreeView::ExpandTopLevel);
    connect(adapter, &QAbstractItemModel::modelReset, this,
            [this] { ExpandTopLevel(QModelIndex(), 0, m_adapter->rowCount() - 1); });
    connect(adapter, &QAbstractItemModel::rowsInserted, this, &KelvarTreeView::ScheduleFitColumn);
    connect(adapter, &QAbstractItemModel::rowsRemoved, this, &KelvarTreeView::ScheduleFitColumn);
    connect(adapter, &QAbstractItemModel::rowsMoved, this, &KelvarTreeView::ScheduleFitColumn);
    connect(adapter, &QAbstractItemModel::modelReset, this, &KelvarTreeView::ScheduleFitColumn);
    connect(adapter, &QAbstractItemModel::layoutChanged, this, &KelvarTreeView::ScheduleFitColumn);
    connect(adapter, &QAbstractItemModel::dataChanged, this, &KelvarTreeView::ScheduleFitColumn);
    ScheduleFitColumn();
    ExpandTopLevel(QModelIndex(), 0, adapter->rowCount() - 1);
    FollowTreeSelection();
}

void KelvarTreeView::SetDoubleClickHandler(std::function<void(TreeNode *)> handler)
{
    m_doubleClick = std::move(handler);
}

void KelvarTreeView::SetRightPressHandler(std::function<void(const QPoint &)> handler)
{
    m_rightPress = std::move(handler);
}

TreeNode *KelvarTreeView::NodeAtPos(const QPoint &viewportPos) const
{
    return TreeModelAdapter::NodeAt(indexAt(viewportPos));
}

void KelvarTreeView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Deliberately not passed on: the base class would expand or collapse.
    event->accept();
    if (m_doubleClick)
        m_doubleClick(NodeAtPos(event->position().toPoint()));
}

void KelvarTreeView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::RightButton) {
        QTreeView::mousePressEvent(event);
        return;
    }
    // A right click takes the focus like a left one: the tree switch of the
    // pop-up goes from the tree that has it.
    setFocus(Qt::MouseFocusReason);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    event->accept();
    if (m_rightPress)
        m_rightPress(event->position().toPoint());
}

void KelvarTreeView::ViewCurrentChanged(const QModelIndex &current)
{
    if (m_syncing || !m_adapter)
        return;
    m_syncing = true;
    m_adapter->SourceTree().Select(TreeModelAdapter::NodeAt(current));
    m_syncing = false;
}

void KelvarTreeView::FollowTreeSelection()
{
    if (m_syncing || !m_adapter)
        return;
    m_syncing = true;
    // The tree's own answer counts, not the notification's: the view may
    // have moved the selection on while the tree was still reporting.
    const QModelIndex index = m_adapter->IndexOf(m_adapter->SourceTree().Selected());
    if (index.isValid())
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    else
        selectionModel()->clear();
    m_syncing = false;
}

void KelvarTreeView::ExpandTopLevel(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid() || !m_adapter)
        return;
    for (int row = first; row <= last; ++row)
        expand(m_adapter->index(row, 0));
}

} // namespace kelvarin
