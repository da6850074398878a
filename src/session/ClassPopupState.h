#pragma once

#include <QString>

namespace kelvarin {

class ClassModel;
class TreeNode;

// Captions and enabled states of the trees' pop-up menu. Every right click
// captions and enables every item for the node that was clicked, so what an
// item says is what choosing it does.
struct ClassPopupState
{
    static constexpr const char *CompileCaptionPrefix = "Compile ";

    bool editEnabled = true;
    bool switchEnabled = true;
    bool compileEnabled = true;
    bool createEnabled = true;
    bool intEnabled = true;
    bool commentEnabled = true;
    QString compileCaption = QStringLiteral("&Compile this package");
    QString createCaption = QStringLiteral("Create new class in package DUNNO...");
    QString deleteCaption = QStringLiteral("&Delete this class...");

    // A right click on a package-tree node below the root.
    void CaptionForPackageTree(const TreeNode &node);
    // A right click on a class-tree node other than the root; package is
    // the class's package as the bindings give it ("? ? ?" when unknown).
    void CaptionForClassTree(const TreeNode &node, const QString &package);

    // The package the compile item names: its caption without "Compile ".
    QString CompilePackage() const;
};

} // namespace kelvarin
