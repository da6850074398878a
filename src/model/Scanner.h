#pragma once

#include <QString>

namespace kelvarin {

class ClassModel;
class SortedList;
class Tree;

// Turns a package's sources into model entries in two stages: ScanPackageDir
// stages one "parent=class&package" line per source file; ResolveFilesList
// attaches every staged class whose parent is in the class tree, pass after
// pass, until a pass attaches nothing.
namespace Scanner {

// classesDir ends in "\Classes\" (base directory + "\" + package + "\Classes\").
void ScanPackageDir(ClassModel &model, SortedList &list, const QString &classesDir);
// merge: entries may already be loaded; do not add them twice.
void ResolveFilesList(ClassModel &model, Tree &classTree, SortedList &list, bool merge);
// Adds class below its parent (the root for an empty parent). False when the
// parent is not in the tree.
bool AttachClass(ClassModel &model, Tree &classTree, const QString &parent,
                 const QString &className);

} // namespace Scanner
} // namespace kelvarin
