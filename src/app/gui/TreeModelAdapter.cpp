#include "app/gui/TreeModelAdapter.h"

#include "app/gui/NodeIcons.h"
#include "model/Tree.h"
#include "model/TreeNode.h"

namespace kelvarin {

TreeModelAdapter::TreeModelAdapter(Tree &tree, QObject *parent, CompiledTest isCompiled)
    : QAbstractItemModel(parent), m_tree(tree), m_isCompiled(std::move(isCompiled))
{
    for (int i = 0; i < int(m_icons.size()); ++i)
        m_icons[size_t(i)] = NodeIcons::Icon(i);
    for (int i = 0; i < int(m_compiledIcons.size()); ++i)
        m_compiledIcons[size_t(i)] = NodeIcons::CompiledClassIcon(i);
    m_tree.AddObserver(this);
}

TreeModelAdapter::~TreeModelAdapter()
{
    m_tree.RemoveObserver(this);
}

TreeNode *TreeModelAdapter::NodeAt(const QModelIndex &index)
{
    return index.isValid() ? static_cast<TreeNode *>(index.internalPointer()) : nullptr;
}

QModelIndex TreeModelAdapter::IndexOf(const TreeNode *node) const
{
    if (!node || node->OwnerTree() != &m_tree)
        return QModelIndex();
    return createIndex(node->Row(), 0, const_cast<TreeNode *>(node));
}

QModelIndex TreeModelAdapter::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return QModelIndex();
    if (!parent.isValid()) {
        if (row >= m_tree.TopLevelCount())
            return QModelIndex();
        return createIndex(row, 0, m_tree.TopLevel(row));
    }
    TreeNode *parentNode = NodeAt(parent);
    if (!parentNode || row >= parentNode->ChildCount())
        return QModelIndex();
    return createIndex(row, 0, parentNode->Child(row));
}

QModelIndex TreeModelAdapter::parent(const QModelIndex &child) const
{
    TreeNode *node = NodeAt(child);
    if (!node || !node->Parent())
        return QModelIndex();
    return IndexOf(node->Parent());
}

int TreeModelAdapter::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return m_tree.TopLevelCount();
    if (parent.column() != 0)
        return 0;
    TreeNode *node = NodeAt(parent);
    return node ? node->ChildCount() : 0;
}

int TreeModelAdapter::columnCount(const QModelIndex &) const
{
    return 1;
}

bool TreeModelAdapter::hasChildren(const QModelIndex &parent) const
{
    return rowCount(parent) > 0;
}

QVariant TreeModelAdapter::data(const QModelIndex &index, int role) const
{
    TreeNode *node = NodeAt(index);
    if (!node)
        return QVariant();
    // Class nodes carry image 0 (class tree) or 1 (package tree).
    const int image = node->ImageIndex();
    const bool compiled = (image == 0 || image == 1) && node->Parent() && m_isCompiled && m_isCompiled(*node);
    switch (role) {
    case Qt::DisplayRole:
        return node->Text();
    case Qt::ToolTipRole:
        if (compiled)
            return node->Text() + QStringLiteral(" (read from the compiled package: its source is not exported)");
        return node->Text();
    case Qt::DecorationRole: {
        if (compiled)
            return m_compiledIcons[size_t(image)];
        if (image >= 0 && image < int(m_icons.size()))
            return m_icons[size_t(image)];
        return QVariant();
    }
    default:
        return QVariant();
    }
}

Qt::ItemFlags TreeModelAdapter::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void TreeModelAdapter::NodesAboutToBeInserted(TreeNode *parent, int first, int last)
{
    beginInsertRows(IndexOf(parent), first, last);
}

void TreeModelAdapter::NodesInserted()
{
    endInsertRows();
}

void TreeModelAdapter::NodesAboutToBeRemoved(TreeNode *parent, int first, int last)
{
    beginRemoveRows(IndexOf(parent), first, last);
}

void TreeModelAdapter::NodesRemoved()
{
    endRemoveRows();
}

void TreeModelAdapter::TreeAboutToBeReset()
{
    beginResetModel();
}

void TreeModelAdapter::TreeReset()
{
    endResetModel();
}

void TreeModelAdapter::OrderAboutToChange()
{
    emit layoutAboutToBeChanged();
    m_layoutIndexes = persistentIndexList();
    m_layoutNodes.clear();
    m_layoutNodes.reserve(m_layoutIndexes.size());
    for (const QModelIndex &index : std::as_const(m_layoutIndexes))
        m_layoutNodes.append(NodeAt(index));
}

void TreeModelAdapter::OrderChanged()
{
    // Nodes only move among their siblings, so each persistent index keeps
    // its node and takes the node's new row.
    QModelIndexList moved;
    moved.reserve(m_layoutNodes.size());
    for (qsizetype i = 0; i < m_layoutNodes.size(); ++i) {
        TreeNode *node = m_layoutNodes[i];
        moved.append(node ? createIndex(node->Row(), m_layoutIndexes[i].column(), node)
                          : QModelIndex());
    }
    changePersistentIndexList(m_layoutIndexes, moved);
    m_layoutIndexes.clear();
    m_layoutNodes.clear();
    emit layoutChanged();
}

void TreeModelAdapter::NodeChanged(TreeNode *node)
{
    const QModelIndex index = IndexOf(node);
    if (index.isValid())
        emit dataChanged(index, index, {Qt::DisplayRole, Qt::DecorationRole});
}

void TreeModelAdapter::SelectionChanged(TreeNode *node)
{
    emit TreeSelectionChanged(node);
}

} // namespace kelvarin
