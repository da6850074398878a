#include "session/ClassPopupState.h"

#include "model/ClassModel.h"
#include "model/TreeNode.h"

namespace kelvarin {

void ClassPopupState::CaptionForPackageTree(const TreeNode &node)
{
    const bool packageNode = node.Parent() && !node.Parent()->Parent();
    const QString package = packageNode ? node.Text() : node.Parent()->Text();
    compileCaption = QLatin1String(CompileCaptionPrefix) + package;
    createCaption = QStringLiteral("Create new class in package ") + package;
    // Every item is captioned and enabled for this node: nothing carries
    // over from a right click on the other tree.
    compileEnabled = true;
    createEnabled = true;
    if (packageNode) {
        editEnabled = false;
        switchEnabled = false;
        deleteCaption = QStringLiteral("Delete package ") + package;
        intEnabled = true;
        commentEnabled = true;
    } else {
        editEnabled = true;
        switchEnabled = true;
        deleteCaption = QStringLiteral("Delete class ") + node.Text();
        intEnabled = false;
        commentEnabled = false;
    }
}

void ClassPopupState::CaptionForClassTree(const TreeNode &node, const QString &package)
{
    editEnabled = true;
    switchEnabled = true;
    deleteCaption = QStringLiteral("Delete class ") + node.Text();
    compileCaption = QLatin1String(CompileCaptionPrefix) + package;
    // "? ? ?" names no package: compiling it would add a bogus EditPackages
    // line to the game's configuration.
    compileEnabled = package != QLatin1String(ClassModel::UnknownPackage);
    intEnabled = false;
    commentEnabled = false;
    if (node.Parent()) {
        createCaption = QStringLiteral("Create new class below ") + node.Text();
        createEnabled = true;
    } else {
        createEnabled = false;
    }
}

QString ClassPopupState::CompilePackage() const
{
    return compileCaption.mid(int(qstrlen(CompileCaptionPrefix)));
}

} // namespace kelvarin
