#pragma once

#include <QString>
#include <QStringList>

namespace kelvarin {

class ClassModel;
class TreeNode;

// Takes classes and packages out of the model: unloading a package (files
// untouched) and removing a class or package (its source files deleted).
class PackageRemover
{
public:
    explicit PackageRemover(ClassModel &model);

    // The class names bound to package, in bindings order.
    QStringList ListPackageClasses(const QString &package);

    // True when the package's classes and its node have left the trees; false
    // when another package's classes derive from them (nothing is removed),
    // when nothing of it is bound, or when the application is terminating.
    bool UnloadPackage(const QString &package);

    // Removes the class or the package a node stands for (roots excluded by
    // the caller). Asks before deleting a package, and before each class file
    // when ask is true.
    bool RemoveNode(TreeNode *node, bool ask);
    bool RemoveClassFile(const QString &className, const QString &package, bool ask);

private:
    // Every package bound to a class of that name, in bindings order.
    QStringList PackagesBinding(const QString &className);
    // The package of a class-tree node, told apart from another package's
    // class of the same name by the parent its source declares.
    QString PackageOfClassNode(const TreeNode &classNode);
    // The class-tree node of a package's class, likewise.
    TreeNode *ClassNodeOf(const QString &className, const QString &package);
    bool RemovePackageNode(TreeNode *node);
    bool RemoveClassNode(TreeNode *node, bool ask);
    void RemoveFromTrees(const QString &package, const QStringList &classes);

    ClassModel &m_model;
};

} // namespace kelvarin
