#pragma once

#include <QString>

#include <memory>
#include <vector>

namespace kelvarin {

class Tree;

// One node of a class or package tree: a text, an image index, children.
// Nodes carry nothing else; a node is known by its text, depth and image.
class TreeNode
{
public:
    ~TreeNode();
    TreeNode(const TreeNode &) = delete;
    TreeNode &operator=(const TreeNode &) = delete;

    const QString &Text() const { return m_text; }
    // The text upper-cased once, for the many case-insensitive comparisons;
    // made on first use (a tree read from a file may never need it). A node
    // is used by one thread at a time.
    const QString &UpperText() const;
    int ImageIndex() const { return m_image; }
    TreeNode *Parent() const { return m_parent; }
    int ChildCount() const { return int(m_children.size()); }
    bool HasChildren() const { return !m_children.empty(); }
    TreeNode *Child(int row) const { return m_children[size_t(row)].get(); }
    // Index among its siblings (top-level nodes count as siblings).
    int Row() const { return m_row; }
    // 0 for a top-level node. Fixed when the node is added: nodes never move
    // to another parent.
    int Depth() const { return m_depth; }
    Tree *OwnerTree() const { return m_tree; }

private:
    friend class Tree;
    TreeNode(Tree *tree, TreeNode *parent, const QString &text, const QString &upper, int image);

    Tree *m_tree;
    TreeNode *m_parent;
    QString m_text;
    mutable QString m_upper;   // null until made
    int m_image;
    int m_row = 0;
    int m_depth = 0;
    bool m_childrenUnsorted = false;
    std::vector<std::unique_ptr<TreeNode>> m_children;
};

} // namespace kelvarin
