#pragma once

#include "model/LateDisposal.h"
#include "model/TreeNode.h"

#include <QHash>
#include <QVarLengthArray>

#include <functional>

namespace kelvarin {

class TreeObserver;

// A tree of nodes with any number of top-level nodes, its selected node, and
// the image rule of the control it stands for. New nodes are appended as last
// children; they reach alphabetical order only when Sort() runs.
class Tree
{
public:
    // How a node whose image index is 0 gets its image: the class tree gives
    // only a root the root image; the package tree tells roots, packages,
    // file nodes and classes apart.
    enum class Kind { ClassTree, PackageTree };

    explicit Tree(Kind kind);
    // A tree built apart for owner (on another thread, with no observers):
    // its nodes belong to owner from the start, and owner.TakeNodes(*this)
    // moves them in without visiting each one again.
    Tree(Kind kind, Tree &owner);
    ~Tree();
    Tree(const Tree &) = delete;
    Tree &operator=(const Tree &) = delete;

    Kind TreeKind() const { return m_kind; }

    // parent null adds a top-level node. Image 0 is replaced by the tree's rule.
    TreeNode *Add(TreeNode *parent, const QString &text, int image = 0);
    // The same, for a caller that has the text upper-cased already
    // (upper == UpperCase(text); a null upper is made when first asked for).
    TreeNode *Add(TreeNode *parent, const QString &text, const QString &upper, int image = 0);
    // Removes the node with its whole subtree.
    void Remove(TreeNode *node);
    void Clear();
    // Replaces this tree's nodes by those of a tree built for it (see the
    // constructor above), which is left empty; observers see one reset and
    // the built tree's selection becomes this one's.
    void TakeNodes(Tree &built);

    int Count() const { return m_count; }
    int TopLevelCount() const { return int(m_top.size()); }
    TreeNode *TopLevel(int row) const { return m_top[size_t(row)].get(); }
    // The first top-level node (the root), or null.
    TreeNode *First() const { return m_top.empty() ? nullptr : m_top.front().get(); }
    // The node at a position in pre-order (0 = first node), or null.
    TreeNode *NodeAt(int preorderIndex) const;
    // Pre-order successor, or null after the last node.
    static TreeNode *Next(const TreeNode *node);

    TreeNode *Selected() const { return m_selected; }
    void Select(TreeNode *node);

    void SetImageIndex(TreeNode *node, int image);

    // Sorts the children of every node, at every depth, and the top-level
    // nodes. less(a, b) is a strict weak order; equal nodes keep their order.
    // Levels that gained no node since the last sort are known to be in
    // order already and are passed over, so the tree must always be sorted
    // with the same order.
    void Sort(const std::function<bool(const TreeNode &, const TreeNode &)> &less);

    // Leaves the name index to be built by the first lookup instead of node
    // by node: for a tree read whole before anything is looked up in it.
    void DeferIndex();

    // Every node whose upper-cased text equals upper, in no particular order.
    // Lets lookups skip the walk; pre-order ties are settled by the caller.
    // (Most names are unique: one node is held without an allocation.)
    using NodeList = QVarLengthArray<TreeNode *, 1>;
    const NodeList *NodesNamed(const QString &upper) const;

    // True when a comes before b in pre-order.
    static bool PrecedesInPreorder(const TreeNode *a, const TreeNode *b);
    // True when node lies below ancestor (not equal to it).
    static bool IsDescendant(const TreeNode *node, const TreeNode *ancestor);

    void AddObserver(TreeObserver *observer);
    void RemoveObserver(TreeObserver *observer);

private:
    int ImageFor(const TreeNode &node) const;
    // Drops the subtree of top from the name index and the unsorted levels.
    void Unindex(TreeNode *top, bool &selectionGone);
    void BuildIndex() const;
    std::vector<std::unique_ptr<TreeNode>> &SiblingsOf(TreeNode *parent);

    Kind m_kind;
    Tree *m_nodeOwner;   // the tree new nodes belong to: this one, or the one built for
    std::vector<std::unique_ptr<TreeNode>> m_top;
    int m_count = 0;
    TreeNode *m_selected = nullptr;
    // Every node by its upper-cased text; built on first use when deferred.
    mutable QHash<QString, NodeList> m_byName;
    mutable bool m_indexed = true;
    std::vector<TreeObserver *> m_observers;
    // Levels (by parent; null for the top level) that gained nodes since the
    // last sort.
    std::vector<TreeNode *> m_unsorted;
    bool m_topUnsorted = false;
    // Declared last: the tree's end waits for the nodes it hands over.
    LateDisposal m_cleared;
};

} // namespace kelvarin
