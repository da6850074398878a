#include "model/TreeRemovalWatch.h"

#include "model/Tree.h"

namespace kelvarin {

TreeRemovalWatch::TreeRemovalWatch(Tree &tree, std::function<void(TreeNode *, TreeNode *)> going,
                                   std::function<void()> reset)
    : m_tree(tree), m_going(std::move(going)), m_reset(std::move(reset))
{
    m_tree.AddObserver(this);
}

TreeRemovalWatch::~TreeRemovalWatch()
{
    m_tree.RemoveObserver(this);
}

bool TreeRemovalWatch::Covers(const TreeNode *node, const TreeNode *first, const TreeNode *last)
{
    if (!node || !first || !last || node->OwnerTree() != first->OwnerTree())
        return false;
    // One climb from node: the ancestor (or node itself) that is a sibling
    // of first decides. Looking below each sibling instead would take a
    // climb per sibling.
    const TreeNode *parent = first->Parent();
    for (const TreeNode *n = node; n; n = n->Parent())
        if (n->Parent() == parent)
            return n->Row() >= first->Row() && n->Row() <= last->Row();
    return false;
}

void TreeRemovalWatch::NodesAboutToBeRemoved(TreeNode *parent, int first, int last)
{
    if (!m_going)
        return;
    TreeNode *firstNode = parent ? parent->Child(first) : m_tree.TopLevel(first);
    TreeNode *lastNode = parent ? parent->Child(last) : m_tree.TopLevel(last);
    m_going(firstNode, lastNode);
}

void TreeRemovalWatch::TreeAboutToBeReset()
{
    if (m_reset)
        m_reset();
}

} // namespace kelvarin
