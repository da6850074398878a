#include "model/Scanner.h"

#include "model/ClassModel.h"
#include "model/DeclarationParser.h"
#include "model/TextRules.h"
#include "model/Options.h"
#include "platform/EventPump.h"
#include "platform/FileSystem.h"

#include <QHash>

#include <queue>

namespace kelvarin::Scanner {

StagedSources ReadPackageSources(const QString &classesDir, EventPump *pump)
{
    StagedSources sources;
    if (classesDir.isEmpty())
        return sources;
    const qsizetype classesAt = classesDir.indexOf(QLatin1String("\\Classes\\"));
    if (classesAt <= 0)
        return sources;
    QString package = classesDir.left(classesAt);
    package = package.mid(package.lastIndexOf(QLatin1Char('\\')) + 1);
    if (package.isEmpty())
        return sources;

    const FileSystem::Listing listing = FileSystem::ListWithKinds(classesDir + QLatin1String("*.uc"));
    sources.anyMatch = !listing.entries.empty();
    sources.lines.reserve(qsizetype(listing.entries.size()));
    sources.keys.reserve(listing.entries.size());
    for (const FileSystem::Listing::Entry &entry : listing.entries) {
        if (pump) {
            pump->Pump();
            if (pump->Terminating())
                break;
        }
        const QString &name = entry.name;
        // Only names ending in exactly ".uc" (as written) are sources; the
        // wildcard listing also returns Foo.UC, which is not taken.
        if (!name.endsWith(u".uc"))
            continue;
        // The class is named after its file, so the rest must be a class name:
        // anything else ("A&B", a line break) would break the staged line,
        // the binding and the state files. Directories, pipes and devices
        // named like sources are not sources.
        const QString className = name.chopped(3);
        if (!IsIdentifier(className, NameLetters::Latin1) || entry.kind != FileSystem::Listing::Kind::Regular)
            continue;
        const QString parent = DeclarationParser::FindParentClass(listing, entry, pump);
        if (pump && pump->Terminating())
            break;   // the reading stopped inside the file: its parent is not known
        QString line;
        line.reserve(parent.size() + className.size() + package.size() + 2);
        line.append(parent).append(QLatin1Char('=')).append(className).append(QLatin1Char('&')).append(package);
        sources.keys.emplace_back(line);
        sources.lines.append(std::move(line));
    }
    return sources;
}

void StageSources(SortedList &list, StagedSources &&sources)
{
    list.AddMany(sources.lines, std::move(sources.keys));
}

void ScanPackageDir(ClassModel &model, SortedList &list, const QString &classesDir)
{
    // The staged lines join the list together (one merge instead of an
    // insertion each), also when the scan stops early.
    StageSources(list, ReadPackageSources(classesDir, &model.Pump()));
}

TreeNode *AttachClass(ClassModel &model, Tree &classTree, const QString &parent,
                      const QString &className)
{
    ClassModel::ParentMemo &memo = model.Memo();
    // Classes of one parent usually come one after the other, written alike:
    // the very same text is answered without upper-casing it.
    if (memo.valid && parent == memo.name)
        return memo.node ? classTree.Add(memo.node, className) : nullptr;
    const QString upperParent = UpperCase(parent);
    TreeNode *node = nullptr;
    memo.name = parent;
    if (memo.valid && memo.upperName == upperParent) {
        node = memo.node;
    } else {
        model.Status(QStringLiteral("Processing: ") + parent);
        model.ShowProcess(parent);
        node = parent.isEmpty() ? classTree.First() : model.FindNodeUpper(classTree, upperParent);
        memo.valid = true;
        memo.upperName = upperParent;
        memo.node = node;
    }
    if (!node)
        return nullptr;
    return classTree.Add(node, className);
}

namespace {

// The parts of a staged line "parent=class&package"; false when it is
// malformed (no "&", or nothing before it).
bool SplitEntry(const QString &entry, QString &parent, QString &className, QString &package)
{
    const qsizetype equals = entry.indexOf(QLatin1Char('='));
    parent = equals > 0 ? entry.left(equals) : QString();
    const QStringView rest = equals >= 0 ? QStringView(entry).mid(equals + 1) : QStringView(entry);
    const qsizetype amp = rest.indexOf(QLatin1Char('&'));
    if (amp <= 0)
        return false;
    className = rest.left(amp).toString();
    package = rest.mid(amp + 1).toString();
    return true;
}

// Attaches what the first pass left, as the second and later passes would,
// without walking the whole list once per pass: an entry is visited again
// only when its parent has come (or, merging, its class has been bound).
//
// A pass attaches an entry when its parent is in the tree at its visit; so an
// entry whose parent attaches in pass p is attached in pass p when it stands
// after the parent's entry, and in pass p + 1 otherwise. Handling entries in
// (pass, position) order repeats the passes' attachments one for one, and
// with them the tree, the package tree and the bindings. The parent lookups
// give the same nodes too: the failed lookups left out would only have
// replaced the memo by another name, and a lookup of that parent then gives
// the node the memo holds (the first of that name in display order; a node
// added since under the memo's node comes after it).
void ResolveLaterPasses(ClassModel &model, Tree &classTree, SortedList &list, bool merge,
                        QStringList &newBindings)
{
    EventPump &pump = model.Pump();
    const QStringList entries = list.Entries();
    const int count = int(entries.size());
    struct Item
    {
        QString parent, className, package, binding;
    };
    std::vector<Item> items;
    items.resize(size_t(count));
    enum class Fate : char { Waiting, Attached, Dropped };
    std::vector<Fate> fate(size_t(count), Fate::Waiting);
    std::vector<int> fatePass(size_t(count), 0);

    using Visit = std::pair<int, int>;   // (pass, position)
    std::priority_queue<Visit, std::vector<Visit>, std::greater<>> visits;
    QHash<QString, std::vector<int>> byParent;    // upper-cased parent → waiting positions
    QHash<QString, std::vector<int>> byBinding;   // merging: upper-cased binding → positions
    auto parentPresent = [&](const QString &parent) {
        if (parent.isEmpty())
            return classTree.First() != nullptr;
        return model.FindNode(classTree, parent) != nullptr;
    };
    for (int at = 0; at < count; ++at) {
        Item &item = items[size_t(at)];
        SplitEntry(entries.at(at), item.parent, item.className, item.package);
        item.binding = item.package + QLatin1Char('&') + item.className;
        if (parentPresent(item.parent))
            visits.emplace(2, at);
        else
            byParent[UpperCase(item.parent)].push_back(at);
        if (merge) {
            if (model.Bindings().IndexOf(item.binding) >= 0)
                visits.emplace(2, at);
            else
                byBinding[UpperCase(item.binding)].push_back(at);
        }
    }
    // Entries that were visited and failed in this pass before position at
    // are visited again in the next one.
    auto revisit = [&](std::vector<int> &waiting, int pass, int at) {
        for (const int other : waiting) {
            if (fate[size_t(other)] == Fate::Waiting)
                visits.emplace(other > at ? pass : pass + 1, other);
        }
        waiting.clear();
    };

    int lastAttachPass = 1;
    bool stopped = false;
    while (!visits.empty()) {
        const auto [pass, at] = visits.top();
        visits.pop();
        if (fate[size_t(at)] != Fate::Waiting)
            continue;
        pump.Pump();
        if (pump.Terminating()) {
            stopped = true;
            break;
        }
        const Item &item = items[size_t(at)];
        if (merge && model.Bindings().IndexOf(item.binding) >= 0) {
            fate[size_t(at)] = Fate::Dropped;   // loaded already
            fatePass[size_t(at)] = pass;
            continue;
        }
        const TreeNode *added = AttachClass(model, classTree, item.parent, item.className);
        if (!added)
            continue;   // only when the lookup was cut short
        fate[size_t(at)] = Fate::Attached;
        fatePass[size_t(at)] = pass;
        lastAttachPass = pass;
        if (merge)
            model.Bindings().Add(item.binding);
        else
            newBindings.append(item.binding);
        model.AddToPackageTree(model.PackagesBrowser(), item.package, merge, item.className, added->UpperText());
        auto children = byParent.find(added->UpperText());
        if (children != byParent.end())
            revisit(children.value(), pass, at);
        if (merge) {
            auto same = byBinding.find(UpperCase(item.binding));
            if (same != byBinding.end())
                revisit(same.value(), pass, at);
        }
    }

    std::vector<char> keep(size_t(count), 1);
    bool anyLeft = false;
    int lastPass = 0;
    for (int at = 0; at < count; ++at) {
        if (fate[size_t(at)] != Fate::Waiting) {
            keep[size_t(at)] = 0;
            lastPass = std::max(lastPass, fatePass[size_t(at)]);
        } else {
            anyLeft = true;
        }
    }
    if (stopped)
        return list.KeepOnly(keep);
    // The memo must be left as the passes leave it, for the next load: it
    // holds the parent of the last entry that reached a lookup. That is the
    // last attachment itself (the memo holds it already) unless an entry
    // visited after it failed.
    if (anyLeft)
        lastPass = lastAttachPass + 1;   // the pass that attached nothing
    for (int pass = lastPass; pass >= 2; --pass) {
        for (int at = count - 1; at >= 0; --at) {
            const Fate f = fate[size_t(at)];
            const int p = fatePass[size_t(at)];
            const bool visited = f == Fate::Waiting || p >= pass;
            if (!visited || (f == Fate::Dropped && p == pass))
                continue;
            if (f == Fate::Waiting || p > pass) {
                ClassModel::ParentMemo &memo = model.Memo();
                memo.valid = true;
                memo.name = items[size_t(at)].parent;
                memo.upperName = UpperCase(memo.name);
                memo.node = nullptr;
            }
            list.KeepOnly(keep);
            return;
        }
    }
    list.KeepOnly(keep);
}

} // namespace

void ResolveFilesList(ClassModel &model, Tree &classTree, SortedList &list, bool merge)
{
    EventPump &pump = model.Pump();
    const QString base = model.Options().BaseDir;
    QString lastPackage;
    // A pass walks the list in order and keeps the entries it cannot attach;
    // they replace the list when the pass ends (or stops), which is what
    // deleting each attached entry in place would leave, without moving the
    // rest of the list on every deletion.
    // Bindings of a plain load are collected and merged in at the end of each
    // pass; with merge they are needed at once (a class staged twice must
    // find the first one bound).
    QStringList newBindings;
    auto flushBindings = [&model, &newBindings] {
        model.Bindings().AddMany(newBindings);
        newBindings.clear();
    };
    bool stalled = false;
    bool firstPass = true;
    while (!list.IsEmpty() && !stalled) {
        pump.Pump();
        if (pump.Terminating())
            return;
        if (!firstPass) {
            ResolveLaterPasses(model, classTree, list, merge, newBindings);
            flushBindings();
            return;
        }
        firstPass = false;
        stalled = true;
        const QStringList entries = list.Entries();
        std::vector<char> keep(size_t(entries.size()), 1);
        bool changed = false;
        bool stopped = false;
        qsizetype index = 0;
        for (; index < entries.size(); ++index) {
            pump.Pump();
            if (pump.Terminating()) {
                stopped = true;
                break;
            }
            QString parent, className, package;
            if (!SplitEntry(entries.at(index), parent, className, package)) {
                keep[size_t(index)] = 0;   // malformed: dropped
                changed = true;
                continue;
            }

            // Most entries follow one of the same package, written alike.
            if (package != lastPackage && package.compare(lastPackage, Qt::CaseInsensitive) != 0) {
                if (merge || !model.IsPackageLoaded(package)) {
                    const QString system = base + QLatin1String("\\System\\") + package;
                    if (FileSystem::FileExists(system + QLatin1String(".int")))
                        model.AddToPackageTree(model.PackagesBrowser(), package, merge,
                                               QString::fromLatin1(ClassModel::IntFileMarker));
                    if (FileSystem::FileExists(system + QLatin1String(".ini")))
                        model.AddToPackageTree(model.PackagesBrowser(), package, merge,
                                               QString::fromLatin1(ClassModel::IniFileMarker));
                }
                lastPackage = package;
            }

            const QString binding = package + QLatin1Char('&') + className;
            if (merge && model.Bindings().IndexOf(binding) >= 0) {
                keep[size_t(index)] = 0;   // loaded already: dropped
                changed = true;
                continue;
            }
            if (const TreeNode *added = AttachClass(model, classTree, parent, className)) {
                stalled = false;
                if (merge)
                    model.Bindings().Add(binding);
                else
                    newBindings.append(binding);
                model.AddToPackageTree(model.PackagesBrowser(), package, merge, className, added->UpperText());
                keep[size_t(index)] = 0;
                changed = true;
            }
        }
        flushBindings();
        if (changed)
            list.KeepOnly(keep);
        if (stopped)
            return;
    }
}

} // namespace kelvarin::Scanner
