#pragma once

#include "model/TreeObserver.h"

#include <functional>

namespace kelvarin {

class Tree;

// Tells its owner when nodes of one tree are about to go, so that a node
// kept between commands never outlives its place in the tree: a removal
// (the siblings first to last, each with its whole subtree) or a reset.
class TreeRemovalWatch : public TreeObserver
{
public:
    TreeRemovalWatch(Tree &tree, std::function<void(TreeNode *first, TreeNode *last)> going,
                     std::function<void()> reset);
    ~TreeRemovalWatch() override;
    TreeRemovalWatch(const TreeRemovalWatch &) = delete;
    TreeRemovalWatch &operator=(const TreeRemovalWatch &) = delete;

    Tree &Watched() const { return m_tree; }

    // True when node is one of the siblings first to last, or lies below one.
    static bool Covers(const TreeNode *node, const TreeNode *first, const TreeNode *last);

    void NodesAboutToBeRemoved(TreeNode *parent, int first, int last) override;
    void TreeAboutToBeReset() override;
    void NodesAboutToBeInserted(TreeNode *, int, int) override {}
    void NodesInserted() override {}
    void NodesRemoved() override {}
    void TreeReset() override {}
    void OrderAboutToChange() override {}
    void OrderChanged() override {}
    void NodeChanged(TreeNode *) override {}
    void SelectionChanged(TreeNode *) override {}

private:
    Tree &m_tree;
    std::function<void(TreeNode *, TreeNode *)> m_going;
    std::function<void()> m_reset;
};

} // namespace kelvarin
