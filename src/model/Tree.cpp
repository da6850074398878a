#include "model/Tree.h"

#include "model/TextRules.h"
#include "model/TreeObserver.h"

#include <QSet>

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace kelvarin {

TreeNode::TreeNode(Tree *tree, TreeNode *parent, const QString &text, const QString &upper, int image)
    : m_tree(tree), m_parent(parent), m_text(text), m_upper(upper), m_image(image),
      m_depth(parent ? parent->m_depth + 1 : 0)
{
}

const QString &TreeNode::UpperText() const
{
    if (m_upper.isNull())
        m_upper = UpperCase(m_text);
    return m_upper;
}

TreeNode::~TreeNode()
{
    // The subtree is freed from a list, each node losing its children before
    // it goes, instead of each node freeing its own children: a chain as deep
    // as a hand-made state file may hold would overflow the stack.
    std::vector<std::unique_ptr<TreeNode>> pending = std::move(m_children);
    while (!pending.empty()) {
        std::unique_ptr<TreeNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto &child : node->m_children)
            pending.push_back(std::move(child));
        node->m_children.clear();
    }
}

Tree::Tree(Kind kind)
    : m_kind(kind), m_nodeOwner(this)
{
}

Tree::Tree(Kind kind, Tree &owner)
    : m_kind(kind), m_nodeOwner(&owner)
{
}

Tree::~Tree() = default;

std::vector<std::unique_ptr<TreeNode>> &Tree::SiblingsOf(TreeNode *parent)
{
    return parent ? parent->m_children : m_top;
}

int Tree::ImageFor(const TreeNode &node) const
{
    if (!node.Parent())
        return 2;
    if (m_kind == Kind::ClassTree)
        return 0;
    if (!node.Parent()->Parent())
        return 3;
    // Class names have no dot; only file nodes need the searches.
    if (!node.Text().contains(QLatin1Char('.')))
        return 1;
    const QString &upper = node.UpperText();
    if (upper.contains(u".INT"))
        return 4;
    if (upper.contains(u".INI"))
        return 6;
    return 1;
}

TreeNode *Tree::Add(TreeNode *parent, const QString &text, int image)
{
    // The upper-cased text is made when first asked for.
    return Add(parent, text, QString(), image);
}

TreeNode *Tree::Add(TreeNode *parent, const QString &text, const QString &upper, int image)
{
    auto &siblings = SiblingsOf(parent);
    const int row = int(siblings.size());
    for (TreeObserver *o : m_observers)
        o->NodesAboutToBeInserted(parent, row, row);
    std::unique_ptr<TreeNode> node(new TreeNode(m_nodeOwner, parent, text, upper, image));
    node->m_row = row;
    if (node->m_image == 0)
        node->m_image = ImageFor(*node);
    TreeNode *raw = node.get();
    siblings.push_back(std::move(node));
    if (row > 0) {
        if (!parent) {
            m_topUnsorted = true;
        } else if (!parent->m_childrenUnsorted) {
            parent->m_childrenUnsorted = true;
            m_unsorted.push_back(parent);
        }
    }
    ++m_count;
    if (m_indexed)
        m_byName[raw->UpperText()].append(raw);
    for (TreeObserver *o : m_observers)
        o->NodesInserted();
    return raw;
}

void Tree::Unindex(TreeNode *top, bool &selectionGone)
{
    // Every node of the subtree, walked from a list of our own (a subtree can
    // be deeper than the stack allows recursion); the indexes are then swept
    // once, not once per node.
    std::unordered_set<const TreeNode *> going;
    QSet<QString> names;
    std::vector<TreeNode *> pending{top};
    while (!pending.empty()) {
        TreeNode *node = pending.back();
        pending.pop_back();
        for (auto &child : node->m_children)
            pending.push_back(child.get());
        going.insert(node);
        if (m_indexed)
            names.insert(node->UpperText());
        if (node == m_selected)
            selectionGone = true;
        --m_count;
    }
    const auto gone = [&going](const TreeNode *node) { return going.count(node) > 0; };
    for (const QString &name : std::as_const(names)) {
        auto it = m_byName.find(name);
        if (it == m_byName.end())
            continue;
        it->removeIf(gone);
        if (it->isEmpty())
            m_byName.erase(it);
    }
    m_unsorted.erase(std::remove_if(m_unsorted.begin(), m_unsorted.end(), gone), m_unsorted.end());
}

void Tree::Remove(TreeNode *node)
{
    if (!node || node->m_tree != this)
        return;
    TreeNode *parent = node->m_parent;
    auto &siblings = SiblingsOf(parent);
    const int row = node->m_row;
    for (TreeObserver *o : m_observers)
        o->NodesAboutToBeRemoved(parent, row, row);
    bool selectionGone = false;
    Unindex(node, selectionGone);
    siblings.erase(siblings.begin() + row);
    for (size_t i = size_t(row); i < siblings.size(); ++i)
        siblings[i]->m_row = int(i);
    if (selectionGone)
        m_selected = nullptr;
    for (TreeObserver *o : m_observers)
        o->NodesRemoved();
    if (selectionGone)
        for (TreeObserver *o : m_observers)
            o->SelectionChanged(nullptr);
}

void Tree::Clear()
{
    for (TreeObserver *o : m_observers)
        o->TreeAboutToBeReset();
    // The observers have let go of every node: a large tree's nodes are
    // freed on a helper thread while this one goes on.
    constexpr int LargeTree = 1000;
    m_cleared.Dispose(std::make_pair(std::exchange(m_top, {}), std::exchange(m_byName, {})),
                      m_count >= LargeTree);
    m_indexed = true;
    m_unsorted.clear();
    m_topUnsorted = false;
    m_count = 0;
    m_selected = nullptr;
    for (TreeObserver *o : m_observers)
        o->TreeReset();
}

void Tree::TakeNodes(Tree &built)
{
    if (&built == this || built.m_nodeOwner != this || built.m_kind != m_kind)
        return;
    for (TreeObserver *o : m_observers)
        o->TreeAboutToBeReset();
    m_top = std::move(built.m_top);
    m_byName = std::move(built.m_byName);
    m_indexed = built.m_indexed;
    m_unsorted = std::move(built.m_unsorted);
    m_topUnsorted = built.m_topUnsorted;
    m_count = built.m_count;
    m_selected = built.m_selected;
    built.m_top.clear();
    built.m_byName.clear();
    built.m_indexed = true;
    built.m_unsorted.clear();
    built.m_topUnsorted = false;
    built.m_count = 0;
    built.m_selected = nullptr;
    for (TreeObserver *o : m_observers)
        o->TreeReset();
}

TreeNode *Tree::NodeAt(int preorderIndex) const
{
    if (preorderIndex < 0 || preorderIndex >= m_count)
        return nullptr;
    TreeNode *node = First();
    for (int i = 0; node && i < preorderIndex; ++i)
        node = Next(node);
    return node;
}

TreeNode *Tree::Next(const TreeNode *node)
{
    if (!node)
        return nullptr;
    if (node->HasChildren())
        return node->Child(0);
    for (const TreeNode *n = node; n; n = n->m_parent) {
        const auto &siblings = n->m_parent ? n->m_parent->m_children : n->m_tree->m_top;
        if (size_t(n->m_row + 1) < siblings.size())
            return siblings[size_t(n->m_row + 1)].get();
    }
    return nullptr;
}

void Tree::Select(TreeNode *node)
{
    if (node && node->m_tree != this)
        return;
    m_selected = node;
    for (TreeObserver *o : m_observers)
        o->SelectionChanged(node);
}

void Tree::SetImageIndex(TreeNode *node, int image)
{
    if (!node || node->m_image == image)
        return;
    node->m_image = image;
    for (TreeObserver *o : m_observers)
        o->NodeChanged(node);
}

void Tree::Sort(const std::function<bool(const TreeNode &, const TreeNode &)> &less)
{
    for (TreeObserver *o : m_observers)
        o->OrderAboutToChange();
    const auto lessPtr = [&less](const std::unique_ptr<TreeNode> &a,
                                 const std::unique_ptr<TreeNode> &b) { return less(*a, *b); };
    auto sortLevel = [&lessPtr](std::vector<std::unique_ptr<TreeNode>> &nodes) {
        // New nodes are appended, so a level is usually a sorted run followed
        // by a few new nodes: sort only those and merge them in. Merging
        // stably keeps the result that of a stable sort of the whole level.
        auto sortedEnd = std::is_sorted_until(nodes.begin(), nodes.end(), lessPtr);
        if (sortedEnd == nodes.end())
            return;
        std::stable_sort(sortedEnd, nodes.end(), lessPtr);
        std::inplace_merge(nodes.begin(), sortedEnd, nodes.end(), lessPtr);
        for (size_t i = 0; i < nodes.size(); ++i)
            nodes[i]->m_row = int(i);
    };
    if (m_topUnsorted)
        sortLevel(m_top);
    m_topUnsorted = false;
    for (TreeNode *parent : m_unsorted) {
        sortLevel(parent->m_children);
        parent->m_childrenUnsorted = false;
    }
    m_unsorted.clear();
    for (TreeObserver *o : m_observers)
        o->OrderChanged();
}

void Tree::DeferIndex()
{
    m_byName.clear();
    m_indexed = false;
}

void Tree::BuildIndex() const
{
    m_byName.reserve(m_count);
    for (TreeNode *node = First(); node; node = Next(node))
        m_byName[node->UpperText()].append(node);
    m_indexed = true;
}

const Tree::NodeList *Tree::NodesNamed(const QString &upper) const
{
    if (!m_indexed)
        BuildIndex();
    auto it = m_byName.constFind(upper);
    return it == m_byName.constEnd() ? nullptr : &it.value();
}

bool Tree::IsDescendant(const TreeNode *node, const TreeNode *ancestor)
{
    if (!node || !ancestor)
        return false;
    for (const TreeNode *p = node->m_parent; p; p = p->m_parent)
        if (p == ancestor)
            return true;
    return false;
}

bool Tree::PrecedesInPreorder(const TreeNode *a, const TreeNode *b)
{
    if (a == b)
        return false;
    // Compare the row paths from the top: the first differing row decides; an
    // ancestor comes before its descendants.
    std::vector<int> pathA, pathB;
    for (const TreeNode *n = a; n; n = n->m_parent)
        pathA.push_back(n->m_row);
    for (const TreeNode *n = b; n; n = n->m_parent)
        pathB.push_back(n->m_row);
    std::reverse(pathA.begin(), pathA.end());
    std::reverse(pathB.begin(), pathB.end());
    return std::lexicographical_compare(pathA.begin(), pathA.end(), pathB.begin(), pathB.end());
}

void Tree::AddObserver(TreeObserver *observer)
{
    m_observers.push_back(observer);
}

void Tree::RemoveObserver(TreeObserver *observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer),
                      m_observers.end());
}

} // namespace kelvarin
