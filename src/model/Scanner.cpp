#include "model/Scanner.h"

#include "model/ClassModel.h"
#include "model/DeclarationParser.h"
#include "model/TextRules.h"
#include "persist/Options.h"
#include "platform/EventPump.h"
#include "platform/FileKind.h"
#include "platform/FileSystem.h"

namespace kelvarin::Scanner {

void ScanPackageDir(ClassModel &model, SortedList &list, const QString &classesDir)
{
    if (classesDir.isEmpty())
        return;
    const qsizetype classesAt = classesDir.indexOf(QLatin1String("\\Classes\\"));
    if (classesAt <= 0)
        return;
    QString package = classesDir.left(classesAt);
    package = package.mid(package.lastIndexOf(QLatin1Char('\\')) + 1);
    if (package.isEmpty())
        return;

    EventPump &pump = model.Pump();
    const QStringList names = FileSystem::List(classesDir + QLatin1String("*.uc"),
                                               FileSystem::ListWhat::Everything);
    // The staged lines join the list together (one merge instead of an
    // insertion each), also when the scan stops early.
    QStringList staged;
    staged.reserve(names.size());
    struct Flush
    {
        SortedList &list;
        QStringList &staged;
        ~Flush() { list.AddMany(staged); }
    } flush{list, staged};
    for (const QString &name : names) {
        pump.Pump();
        if (pump.Terminating())
            return;
        // Only names ending in exactly ".uc" (as written) are sources; the
        // wildcard listing also returns Foo.UC, which is not taken.
        if (!name.endsWith(u".uc"))
            continue;
        // The class is named after its file, so the rest must be a class name:
        // anything else ("A&B", a line break) would break the staged line,
        // the binding and the state files. Directories, pipes and devices
        // named like sources are not sources.
        const QString className = name.chopped(3);
        if (!IsIdentifier(className, NameLetters::Latin1) || !FileKind::IsRegularFile(classesDir + name))
            continue;
        const QString parent = DeclarationParser::FindParentClass(classesDir + name, pump);
        staged.append(parent + QLatin1Char('=') + className + QLatin1Char('&') + package);
    }
}

bool AttachClass(ClassModel &model, Tree &classTree, const QString &parent,
                 const QString &className)
{
    ClassModel::ParentMemo &memo = model.Memo();
    const QString upperParent = UpperCase(parent);
    TreeNode *node = nullptr;
    if (memo.valid && memo.upperName == upperParent) {
        node = memo.node;
    } else {
        model.Status(QStringLiteral("Processing: ") + parent);
        model.ShowProcess(parent);
        node = parent.isEmpty() ? classTree.First() : model.FindNode(classTree, parent);
        memo.valid = true;
        memo.upperName = upperParent;
        memo.node = node;
    }
    if (!node)
        return false;
    classTree.Add(node, className);
    return true;
}

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
    while (!list.IsEmpty() && !stalled) {
        pump.Pump();
        if (pump.Terminating())
            return;
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
            const QString &entry = entries.at(index);
            const qsizetype equals = entry.indexOf(QLatin1Char('='));
            const QString parent = equals > 0 ? entry.left(equals) : QString();
            const QStringView rest = equals >= 0 ? QStringView(entry).mid(equals + 1)
                                                 : QStringView(entry);
            const qsizetype amp = rest.indexOf(QLatin1Char('&'));
            if (amp <= 0) {
                keep[size_t(index)] = 0;   // malformed: dropped
                changed = true;
                continue;
            }
            const QString className = rest.left(amp).toString();
            const QString package = rest.mid(amp + 1).toString();

            if (package.compare(lastPackage, Qt::CaseInsensitive) != 0) {
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
            if (AttachClass(model, classTree, parent, className)) {
                stalled = false;
                if (merge)
                    model.Bindings().Add(binding);
                else
                    newBindings.append(binding);
                model.AddToPackageTree(model.PackagesBrowser(), package, merge, className);
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
