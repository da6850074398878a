#pragma once

#include "search/SourceSearch.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

namespace kelvarin {

class ClassModel;
class Tree;
class TreeNode;
class TreeRemovalWatch;

// One row of the finder's results.
struct FindResult
{
    QString className;
    QString package;     // "? ? ?" when the name is no known class
    int line = 0;
    QString context;

    // The grid's Line cell: the number, or nothing for a result found by
    // its name alone (no line was looked for).
    QString LineText() const { return line > 0 ? QString::number(line) : QString(); }
};

// The results grid's starting column widths for a grid of the given
// width: Class, Package and Line narrow, Context the rest (never narrower
// than the others' default).
std::array<int, 4> StartingColumnWidths(int gridWidth);

// The class finder without its window: where to search (LookIn and the
// three "Search in" choices), one search at a time over the live trees, and
// the rows it finds. A search walks the tree without native recursion, lets
// the event pump run before each node, and holds the model's busy scope, so
// commands that would change the trees are refused while it runs. A LookIn
// node that leaves its tree is dropped; a walk whose tree loses nodes all the
// same (a command that did not ask Busy()) ends at once.
class ClassFinder
{
public:
    static constexpr int MaxDepth = 10000;
    static constexpr const char *NothingMessage = "Looking for nothing?";
    static constexpr const char *RecursionMessage = "Infinite recursion detected (>10000 iterations)";
    static constexpr const char *DoneStatus = "Done searching.";
    static constexpr const char *SearchingStatus = "Searching ";

    explicit ClassFinder(ClassModel &model);
    ~ClassFinder();
    ClassFinder(const ClassFinder &) = delete;
    ClassFinder &operator=(const ClassFinder &) = delete;

    // ---- Where to search ---------------------------------------------------
    // Sets LookIn from the node the pop-up was opened on (none: "All classes"
    // only, the choices disabled): item 1 is selected and the captions of
    // items 1 and 2 follow the node.
    void SetLookIn(TreeNode *node);
    TreeNode *LookIn() const { return m_lookIn; }
    // The three "Search in" items, which one is selected, whether they can
    // be chosen at all.
    const QStringList &SearchInItems() const { return m_items; }
    int SearchInSelected() const { return m_selected; }
    void SelectSearchIn(int item);
    bool SearchInEnabled() const { return m_enabled; }
    // Called when the choices change without a SetLookIn call (LookIn's node
    // went away).
    void SetChoicesChangedHandler(std::function<void()> handler) { m_choicesChanged = std::move(handler); }

    // ---- Searching ---------------------------------------------------------
    // True when both texts are empty ("Looking for nothing?"): a single blank
    // counts as text.
    static bool LooksForNothing(const QString &name, const QString &containing);

    // Progress texts ("Searching X", "Done searching.").
    void SetStatusSink(std::function<void(const QString &)> sink) { m_status = std::move(sink); }
    // Each row as it is found.
    void SetRowSink(std::function<void(const FindResult &)> sink) { m_row = std::move(sink); }
    // Told when a search starts (true) and ends (false).
    void SetSearchingHandler(std::function<void(bool)> handler) { m_searchingChanged = std::move(handler); }

    enum class Outcome {
        Done,       // walked to the end, or stopped (rows so far stay)
        Refused,    // another model operation runs: nothing searched
        TooDeep     // the depth guard ended the walk (rows so far stay)
    };
    // One whole search from the selected item's start node: the start node
    // itself first, then toward its children (depth first, pre-order) or
    // toward its parents up to the class below the root. Results() is
    // emptied first. Answers TooDeep, after the status "Done searching.",
    // when the nesting goes past MaxDepth levels.
    Outcome SearchClasses(const QString &name, const QString &containing, bool towardParents);
    bool Searching() const { return m_searching; }
    // Why a search was refused: the operation that holds the model.
    QString BusyRefusal() const;
    // Ends a running search at its next step (Stop, Reset, Close).
    void Stop() { m_stop = true; }
    const QList<FindResult> &Results() const { return m_results; }
    void ClearResults() { m_results.clear(); }

    // The node a result cell leads to: column 0 the class in the class
    // tree, column 1 the package in the package tree; null for anything
    // else or a name no node has.
    TreeNode *NodeForCell(int column, const QString &text);

private:
    struct Pass;
    void NodesGoing(TreeNode *first, TreeNode *last, Tree &tree);
    void TreeGoing(Tree &tree);
    void DropLookIn();
    // The walks of one search; false when the depth guard ended it.
    bool WalkChildren(TreeNode *start, const Pass &pass);
    bool WalkParents(TreeNode *start, const Pass &pass);
    void Visit(const TreeNode &node, const Pass &pass);
    // Containing in the source text a compiled package keeps for the class.
    SourceSearch::FileMatch SearchCompiled(const QString &package, const QString &className, const Pass &pass);
    bool WalkEnds() const;

    ClassModel &m_model;
    TreeNode *m_lookIn = nullptr;
    QStringList m_items;
    int m_selected = 0;
    bool m_enabled = false;
    bool m_searching = false;
    bool m_stop = false;
    // Set when nodes of the tree being walked go during a search (a command
    // that did not ask Busy() first): the walk ends without touching them.
    bool m_walkBroken = false;
    Tree *m_walking = nullptr;
    QList<FindResult> m_results;
    std::function<void()> m_choicesChanged;
    std::function<void(const QString &)> m_status;
    std::function<void(const FindResult &)> m_row;
    std::function<void(bool)> m_searchingChanged;
    std::unique_ptr<TreeRemovalWatch> m_browserWatch;
    std::unique_ptr<TreeRemovalWatch> m_packagesWatch;
};

} // namespace kelvarin
