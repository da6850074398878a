#pragma once

#include "model/TextRules.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace kelvarin {

class ClassModel;
class EventPump;
class SortedList;
class Tree;
class TreeNode;

// Turns a package's sources into model entries in two stages: ScanPackageDir
// stages one "parent=class&package" line per source file; ResolveFilesList
// attaches every staged class whose parent is in the class tree, pass after
// pass, until a pass attaches nothing.
namespace Scanner {

// What a package's sources give: one staged line per source, in the order the
// directory lists them, each with its sort key.
struct StagedSources
{
    QStringList lines;
    std::vector<SortKey> keys;
    // Whether anything in the directory matched "*.uc" (a source or not).
    bool anyMatch = false;
};

// Reads the sources of classesDir (it ends in "\Classes\": base directory +
// "\" + package + "\Classes\"). pump, when given, runs before each file, and
// a terminating application stops the reading where it is. It touches no
// model, so a worker thread may call it (with a pump of its own or none).
StagedSources ReadPackageSources(const QString &classesDir, EventPump *pump);

// Adds the lines to list, as adding them one by one would.
void StageSources(SortedList &list, StagedSources &&sources);

// ReadPackageSources with the model's pump, then StageSources.
void ScanPackageDir(ClassModel &model, SortedList &list, const QString &classesDir);
// merge: entries may already be loaded; do not add them twice.
void ResolveFilesList(ClassModel &model, Tree &classTree, SortedList &list, bool merge);
// Adds class below its parent (the root for an empty parent) and gives its
// node; null when the parent is not in the tree.
TreeNode *AttachClass(ClassModel &model, Tree &classTree, const QString &parent,
                 const QString &className);

} // namespace Scanner
} // namespace kelvarin
