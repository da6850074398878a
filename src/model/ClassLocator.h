#pragma once

#include <QString>

namespace kelvarin {

class ClassModel;
class Tree;
class TreeNode;

// Where a class stands in the two trees: its node in the class tree, and
// its node below its package in the package tree. The package tree holds a
// package's node as a child of the root; a search of the whole tree could
// meet a class of another package that carries the same name first.
class ClassLocator
{
public:
    explicit ClassLocator(ClassModel &model) : m_model(model) {}

    // The package's node (a child of the package tree's root), or null.
    static TreeNode *PackageNode(Tree &packageTree, const QString &package);

    struct Place
    {
        TreeNode *classNode = nullptr;     // in the class tree
        TreeNode *packageNode = nullptr;   // below its package in the package tree
    };
    // Both nodes of a class; either is null when that tree lacks it. The
    // searches pump events: callers hold the model busy meanwhile.
    Place Locate(const QString &className);
    // The class's node below the package's node of the package tree, or null.
    TreeNode *NodeInPackage(const QString &package, const QString &className);

private:
    ClassModel &m_model;
};

} // namespace kelvarin
