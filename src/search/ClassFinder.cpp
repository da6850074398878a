#include "search/ClassFinder.h"

#include "model/ClassLocator.h"
#include "model/ClassModel.h"
#include "model/ClassSource.h"
#include "model/TextRules.h"
#include "model/TreeRemovalWatch.h"
#include "package/PackageFile.h"
#include "model/Options.h"
#include "platform/Errors.h"
#include "platform/EventPump.h"
#include "platform/SpecPath.h"
#include "search/SourceSearch.h"

#include <QHash>

#include <algorithm>
#include <memory>
#include <vector>

namespace kelvarin {

namespace {

QStringList InitialItems()
{
    return {QStringLiteral("All classes"), QStringLiteral("Class Object and children"),
            QStringLiteral("Class Object and parents")};
}

} // namespace

// What one search looks for, prepared once.
struct ClassFinder::Pass
{
    QString upperName;
    QString upperContaining;
    QString baseDir;
    // Upper-cased class → package of the first binding naming it, in list
    // order, as FindPackage answers (one lookup instead of a list walk per node).
    QHash<QString, QString> packages;
    // Compiled packages opened for the source of their classes, by upper-cased
    // package name; null for one that could not be read. Each is read once
    // per search.
    mutable QHash<QString, std::shared_ptr<const PackageFile>> compiled;
};

ClassFinder::ClassFinder(ClassModel &model)
    : m_model(model),
      m_items(InitialItems()),
      m_enabled(true),
      m_browserWatch(std::make_unique<TreeRemovalWatch>(
          model.Browser(), [this](TreeNode *first, TreeNode *last) { NodesGoing(first, last, m_model.Browser()); },
          [this] { TreeGoing(m_model.Browser()); })),
      m_packagesWatch(std::make_unique<TreeRemovalWatch>(
          model.PackagesBrowser(),
          [this](TreeNode *first, TreeNode *last) { NodesGoing(first, last, m_model.PackagesBrowser()); },
          [this] { TreeGoing(m_model.PackagesBrowser()); }))
{
}

ClassFinder::~ClassFinder() = default;

// ---- Where to search -------------------------------------------------------

void ClassFinder::SetLookIn(TreeNode *node)
{
    Tree &packages = m_model.PackagesBrowser();
    // A node of neither tree could not be watched; it is taken as none.
    if (node && node->OwnerTree() != &packages && node->OwnerTree() != &m_model.Browser())
        node = nullptr;
    if (!node) {
        m_lookIn = nullptr;
        m_enabled = false;
        m_selected = 0;
        return;
    }
    m_enabled = true;
    m_selected = 1;
    const QString &text = node->Text();
    if (node->OwnerTree() != &packages) {
        m_lookIn = node;
        m_items[1] = QStringLiteral("Class ") + text + QStringLiteral(" and children");
        m_items[2] = QStringLiteral("Class ") + text + QStringLiteral(" and parents");
    } else if (!node->Parent()) {
        m_lookIn = node;
        m_items[1] = QStringLiteral("All packages");
    } else if (!node->Parent()->Parent()) {
        m_lookIn = node;
        m_items[1] = QStringLiteral("Package: ") + text;
    } else {
        m_lookIn = node->Parent();
        m_items[1] = QStringLiteral("Package: ") + m_lookIn->Text();
    }
}

void ClassFinder::SelectSearchIn(int item)
{
    if (item < 0 || item >= m_items.size())
        return;
    if (!m_enabled && item != 0)
        return;
    m_selected = item;
}

void ClassFinder::NodesGoing(TreeNode *first, TreeNode *last, Tree &tree)
{
    if (!first || !last)
        return;
    if (m_searching && m_walking == &tree)
        m_walkBroken = true;
    if (TreeRemovalWatch::Covers(m_lookIn, first, last))
        DropLookIn();
}

void ClassFinder::TreeGoing(Tree &tree)
{
    if (m_searching && m_walking == &tree)
        m_walkBroken = true;
    if (m_lookIn && m_lookIn->OwnerTree() == &tree)
        DropLookIn();
}

void ClassFinder::DropLookIn()
{
    SetLookIn(nullptr);
    if (m_choicesChanged)
        m_choicesChanged();
}

// ---- Searching -------------------------------------------------------------

QString ClassFinder::BusyRefusal() const
{
    return m_model.BusyRefusal();
}

bool ClassFinder::LooksForNothing(const QString &name, const QString &containing)
{
    return name.isEmpty() && containing.isEmpty();
}

ClassFinder::Outcome ClassFinder::SearchClasses(const QString &name, const QString &containing,
                                                bool towardParents)
{
    if (m_model.Busy())
        return Outcome::Refused;

    Pass pass;
    pass.upperName = UpperCase(name);
    pass.upperContaining = UpperCase(containing);
    pass.baseDir = m_model.Options().BaseDir;
    for (const QString &entry : m_model.Bindings().Entries()) {
        const qsizetype amp = entry.indexOf(QLatin1Char('&'));
        // An entry without a package part names no class (FindPackage skips it too).
        if (amp <= 0)
            continue;
        const QString upperClass = UpperCase(entry.mid(amp + 1));
        if (!pass.packages.contains(upperClass))
            pass.packages.insert(upperClass, entry.left(amp));
    }

    bool tooDeep = false;
    {
        ClassModel::BusyScope busy(m_model, QStringLiteral("searching"));
        m_searching = true;
        m_stop = false;
        m_walkBroken = false;
        m_results.clear();
        if (m_searchingChanged)
            m_searchingChanged(true);
        TreeNode *start = (m_selected == 0 || !m_lookIn) ? m_model.Browser().First() : m_lookIn;
        if (start) {
            m_walking = start->OwnerTree();
            if (m_status)
                m_status(QLatin1String(SearchingStatus) + start->Text());
            Visit(*start, pass);
            tooDeep = towardParents ? !WalkParents(start, pass) : !WalkChildren(start, pass);
            m_walking = nullptr;
        }
        if (m_status)
            m_status(QLatin1String(DoneStatus));
    }
    m_searching = false;
    if (m_searchingChanged)
        m_searchingChanged(false);
    return tooDeep ? Outcome::TooDeep : Outcome::Done;
}

bool ClassFinder::WalkEnds() const
{
    return m_walkBroken || m_stop || m_model.Pump().Terminating();
}

// The pre-order walk below start, with an explicit stack instead of the
// call stack (trees read from files can be far deeper than the stack
// allows). depth counts the nested walks as a recursive walk would: the
// walk of a node at n levels below start is the (n + 1)th; entering one
// past MaxDepth ends the search.
bool ClassFinder::WalkChildren(TreeNode *start, const Pass &pass)
{
    struct Frame
    {
        TreeNode *node;
        int next;
    };
    std::vector<Frame> stack;
    int depth = 1;   // start's own walk
    stack.push_back({start, 0});
    while (!stack.empty() && !m_walkBroken) {
        Frame &top = stack.back();
        // The child count is read again for every child.
        if (top.next >= top.node->ChildCount()) {
            stack.pop_back();
            --depth;
            continue;
        }
        m_model.Pump().Pump();
        if (WalkEnds())
            return true;
        TreeNode *child = top.node->Child(top.next++);
        if (m_status)
            m_status(QLatin1String(SearchingStatus) + child->Text());
        Visit(*child, pass);
        if (++depth > MaxDepth)
            return false;
        stack.push_back({child, 0});
    }
    return true;
}

// From start up through its ancestors, the root excluded: one nested walk
// per step, counted like WalkChildren's.
bool ClassFinder::WalkParents(TreeNode *start, const Pass &pass)
{
    int depth = 1;   // start's own walk
    TreeNode *node = start;
    for (;;) {
        m_model.Pump().Pump();
        if (WalkEnds())
            return true;
        TreeNode *parent = node->Parent();
        if (!parent || !parent->Parent())
            return true;
        if (m_status)
            m_status(QLatin1String(SearchingStatus) + parent->Text());
        Visit(*parent, pass);
        if (++depth > MaxDepth)
            return false;
        node = parent;
    }
}

SourceSearch::FileMatch ClassFinder::SearchCompiled(const QString &package, const QString &className,
                                                    const Pass &pass)
{
    const QString upperPackage = UpperCase(package);
    auto known = pass.compiled.find(upperPackage);
    if (known == pass.compiled.end()) {
        std::shared_ptr<const PackageFile> opened;
        try {
            opened = std::make_shared<const PackageFile>(PackageFile::Open(m_model.CompiledPackagePath(package)));
        } catch (const KelvarinError &) {
            // A package that cannot be read holds nothing to find, as a
            // source file that cannot be read.
        }
        known = pass.compiled.insert(upperPackage, opened);
    }
    if (!known.value())
        return {};
    try {
        return SourceSearch::SearchText(ClassSource::CompiledText(*known.value(), className), pass.upperContaining);
    } catch (const KelvarinError &) {
        return {};
    }
}

void ClassFinder::Visit(const TreeNode &node, const Pass &pass)
{
    if (!pass.upperName.isEmpty() && !node.UpperText().contains(pass.upperName))
        return;
    const QString &text = node.Text();
    const auto bound = pass.packages.constFind(node.UpperText());
    const bool known = bound != pass.packages.constEnd();
    const QString package = known ? *bound : QString::fromLatin1(ClassModel::UnknownPackage);
    SourceSearch::FileMatch match;
    if (pass.upperContaining.isEmpty()) {
        match.matched = true;
    } else if (known && SpecPath::IsSafeComponent(package) && SpecPath::IsSafeComponent(text)) {
        // Only a bound class has a source; the path never leaves the game.
        if (m_model.IsCompiledClass(text))
            match = SearchCompiled(package, text, pass);
        else
            match = SourceSearch::SearchFile(ClassSource::SourcePath(pass.baseDir, package, text),
                                             pass.upperContaining);
    }
    if (!match.matched)
        return;
    FindResult row{text, package, match.line, match.context};
    m_results.append(row);
    if (m_row)
        m_row(row);
}

// ---- Result cells ----------------------------------------------------------

TreeNode *ClassFinder::NodeForCell(int column, const QString &text)
{
    if (column == 0)
        return m_model.FindNode(m_model.Browser(), text);
    if (column == 1)
        return ClassLocator::PackageNode(m_model.PackagesBrowser(), text);
    return nullptr;
}

std::array<int, 4> StartingColumnWidths(int gridWidth)
{
    // Room for a long class name, a package name and five digits.
    constexpr int classWidth = 120;
    constexpr int packageWidth = 90;
    constexpr int lineWidth = 44;
    constexpr int leastContext = 92;
    return {classWidth, packageWidth, lineWidth,
            std::max(leastContext, gridWidth - classWidth - packageWidth - lineWidth)};
}

} // namespace kelvarin
