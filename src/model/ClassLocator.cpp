#include "model/ClassLocator.h"

#include "model/ClassModel.h"
#include "model/TextRules.h"

namespace kelvarin {

TreeNode *ClassLocator::PackageNode(Tree &packageTree, const QString &package)
{
    TreeNode *root = packageTree.First();
    if (!root)
        return nullptr;
    const QString upper = UpperCase(package);
    for (int row = 0; row < root->ChildCount(); ++row)
        if (root->Child(row)->UpperText() == upper)
            return root->Child(row);
    return nullptr;
}

TreeNode *ClassLocator::NodeInPackage(const QString &package, const QString &className)
{
    TreeNode *packageNode = PackageNode(m_model.PackagesBrowser(), package);
    return packageNode ? m_model.FindNode(packageNode, UpperCase(className)) : nullptr;
}

ClassLocator::Place ClassLocator::Locate(const QString &className)
{
    Place place;
    place.classNode = m_model.FindNode(m_model.Browser(), className);
    if (place.classNode)
        place.packageNode = NodeInPackage(m_model.FindPackage(className), className);
    return place;
}

} // namespace kelvarin
