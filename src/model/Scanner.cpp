#include "model/Scanner.h"

#include "model/ClassModel.h"
#include "model/DeclarationParser.h"
#include "model/TextRules.h"
#include "persist/Options.h"
#include "platform/EventPump.h"
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
    for (const QString &name : names) {
        pump.Pump();
        if (pump.Terminating())
            return;
        if (name.size() <= 3)
            continue;
        // Only names ending in exactly ".uc" (as written) are sources; the
        // wildcard listing also returns Foo.UC, which is not taken.
        if (name.indexOf(QLatin1String(".uc")) != name.size() - 3)
            continue;
        const QString className = name.left(name.size() - 3);
        const QString parent = DeclarationParser::FindParentClass(classesDir + name, pump);
        list.Add(parent + QLatin1Char('=') + className + QLatin1Char('&') + package);
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
    bool stalled = false;
    while (!list.IsEmpty() && !stalled) {
        pump.Pump();
        if (pump.Terminating())
            return;
        stalled = true;
        int index = 0;
        while (index < list.Count()) {
            pump.Pump();
            if (pump.Terminating())
                return;
            const QString entry = list.At(index);
            const qsizetype equals = entry.indexOf(QLatin1Char('='));
            const QString parent = equals > 0 ? entry.left(equals) : QString();
            const QString rest = equals >= 0 ? entry.mid(equals + 1) : entry;
            const qsizetype amp = rest.indexOf(QLatin1Char('&'));
            if (amp <= 0) {
                list.RemoveAt(index);
                continue;
            }
            const QString className = rest.left(amp);
            const QString package = rest.mid(amp + 1);

            const QString upperPackage = UpperCase(package);
            if (upperPackage != lastPackage) {
                if (merge || !model.IsPackageLoaded(package)) {
                    const QString system = base + QLatin1String("\\System\\") + package;
                    if (FileSystem::FileExists(system + QLatin1String(".int")))
                        model.AddToPackageTree(model.PackagesBrowser(), package, merge,
                                               QString::fromLatin1(ClassModel::IntFileMarker));
                    if (FileSystem::FileExists(system + QLatin1String(".ini")))
                        model.AddToPackageTree(model.PackagesBrowser(), package, merge,
                                               QString::fromLatin1(ClassModel::IniFileMarker));
                }
                lastPackage = upperPackage;
            }

            if (merge && model.Bindings().IndexOf(package + QLatin1Char('&') + className) >= 0) {
                list.RemoveAt(index);
                continue;
            }
            if (AttachClass(model, classTree, parent, className)) {
                stalled = false;
                model.Bindings().Add(package + QLatin1Char('&') + className);
                model.AddToPackageTree(model.PackagesBrowser(), package, merge, className);
                // The entry may have moved if a command ran meanwhile; remove
                // it where it is now.
                if (index < list.Count() && list.At(index) == entry)
                    list.RemoveAt(index);
                else
                    list.RemoveAt(list.IndexOf(entry));
                continue;
            }
            ++index;
        }
    }
}

} // namespace kelvarin::Scanner
