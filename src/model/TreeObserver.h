#pragma once

namespace kelvarin {

class TreeNode;

// Change notifications of a Tree, in the shape a Qt item model needs them.
// parent is null for top-level nodes.
class TreeObserver
{
public:
    virtual ~TreeObserver() = default;
    virtual void NodesAboutToBeInserted(TreeNode *parent, int first, int last) = 0;
    virtual void NodesInserted() = 0;
    virtual void NodesAboutToBeRemoved(TreeNode *parent, int first, int last) = 0;
    virtual void NodesRemoved() = 0;
    virtual void TreeAboutToBeReset() = 0;
    virtual void TreeReset() = 0;
    virtual void OrderAboutToChange() = 0;
    virtual void OrderChanged() = 0;
    virtual void NodeChanged(TreeNode *node) = 0;
    virtual void SelectionChanged(TreeNode *node) = 0;
};

} // namespace kelvarin
