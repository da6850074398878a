#pragma once

#include "model/TreeNode.h"
#include "model/TreeObserver.h"

#include <QAbstractItemModel>
#include <QIcon>

#include <array>
#include <functional>

namespace kelvarin {

class Tree;

// Shows a Tree to Qt's views. Every index carries its TreeNode; the tree's
// change notifications become the model's insert, remove, reset, layout and
// data signals, so views and persistent indexes follow every change.
class TreeModelAdapter : public QAbstractItemModel, private TreeObserver
{
    Q_OBJECT

public:
    // Tells whether a class node stands for a class read from a compiled
    // package (shown with its own image and a tooltip saying so).
    using CompiledTest = std::function<bool(const TreeNode &)>;

    explicit TreeModelAdapter(Tree &tree, QObject *parent = nullptr, CompiledTest isCompiled = {});
    ~TreeModelAdapter() override;

    Tree &SourceTree() const { return m_tree; }
    QModelIndex IndexOf(const TreeNode *node) const;
    static TreeNode *NodeAt(const QModelIndex &index);

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    // The tree's selected node changed (null: none).
    void TreeSelectionChanged(kelvarin::TreeNode *node);

private:
    void NodesAboutToBeInserted(TreeNode *parent, int first, int last) override;
    void NodesInserted() override;
    void NodesAboutToBeRemoved(TreeNode *parent, int first, int last) override;
    void NodesRemoved() override;
    void TreeAboutToBeReset() override;
    void TreeReset() override;
    void OrderAboutToChange() override;
    void OrderChanged() override;
    void NodeChanged(TreeNode *node) override;
    void SelectionChanged(TreeNode *node) override;

    Tree &m_tree;
    std::array<QIcon, 7> m_icons;
    std::array<QIcon, 2> m_compiledIcons;   // class nodes of either tree
    CompiledTest m_isCompiled;
    // Nodes behind the persistent indexes while the order changes.
    QModelIndexList m_layoutIndexes;
    QList<TreeNode *> m_layoutNodes;
};

} // namespace kelvarin
