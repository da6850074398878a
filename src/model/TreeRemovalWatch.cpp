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
    const TreeNode *parent = first->Parent();
    const Tree *tree = first->OwnerTree();
    for (int row = first->Row(); row <= last->Row(); ++row) {
        const TreeNode *top = parent ? parent->Child(row) : tree->TopLevel(row);
        if (node == top || Tree::IsDescendant(node, top))
            return true;
    }
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
