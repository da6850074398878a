#include "package/PackageSet.h"

#include "platform/Errors.h"
#include "platform/SpecPath.h"

namespace kelvarin {

namespace {

QString Key(const QString &name)
{
    return name.toUpper();
}

// "Group.Name" of an export, without its package.
QString ExportPath(const PackageFile &package, int32_t ref)
{
    QString path = package.ObjectName(ref);
    // Outer chains were checked to end when the package was read.
    for (int32_t outer = package.Exports()[size_t(ref - 1)].outer; outer > 0;
         outer = package.Exports()[size_t(outer - 1)].outer)
        path = package.ObjectName(outer) + QLatin1Char('.') + path;
    return path;
}

} // namespace

PackageSet::PackageSet(const QString &systemDir) : m_systemDir(systemDir) {}

PackageSet::~PackageSet() = default;

const PackageFile &PackageSet::Adopt(PackageFile package)
{
    Entry &entry = m_packages[Key(package.PackageName())];
    entry.package = std::make_unique<PackageFile>(std::move(package));
    entry.exports.clear();
    entry.indexed = false;
    return *entry.package;
}

const PackageFile &PackageSet::Get(const QString &name)
{
    // The name comes from a file: it must not lead out of the directory.
    if (!SpecPath::IsSafeComponent(name))
        throw KelvarinError(QStringLiteral("\"%1\" cannot be the name of a package").arg(name));
    Entry &entry = m_packages[Key(name)];
    if (!entry.package)
        entry.package = std::make_unique<PackageFile>(
            PackageFile::Open(m_systemDir + QLatin1Char('\\') + name + QStringLiteral(".u")));
    return *entry.package;
}

PackageSet::Entry &PackageSet::EntryOf(const PackageFile &package)
{
    Entry &entry = m_packages[Key(package.PackageName())];
    if (!entry.indexed) {
        const PackageFile &file = entry.package ? *entry.package : package;
        for (int i = 0; i < int(file.Exports().size()); ++i) {
            const QString key = Key(ExportPath(file, i + 1) + QLatin1Char(':') + file.ObjectClassName(i + 1));
            // The first of equal paths counts, as a search from the start would.
            if (!entry.exports.contains(key))
                entry.exports.insert(key, i);
        }
        entry.indexed = true;
    }
    return entry;
}

PackageObject PackageSet::Find(const PackageFile &package, const QString &path, const QString &className)
{
    const Entry &entry = EntryOf(package);
    const auto found = entry.exports.constFind(Key(path + QLatin1Char(':') + className));
    if (found == entry.exports.constEnd())
        return {};
    return {entry.package ? entry.package.get() : &package, found.value()};
}

PackageObject PackageSet::Resolve(const PackageFile &package, int32_t ref)
{
    if (ref == 0)
        return {};
    if (ref > 0)
        return {&package, ref - 1};
    // An import: its path below the outermost import, which names the package.
    QString path = package.ObjectName(ref);
    int32_t outer = package.Imports()[size_t(-int64_t(ref) - 1)].outer;
    int32_t top = ref;
    while (outer < 0) {
        top = outer;
        outer = package.Imports()[size_t(-int64_t(outer) - 1)].outer;
        if (outer < 0)
            path = package.ObjectName(top) + QLatin1Char('.') + path;
    }
    if (top == ref || outer != 0)
        throw KelvarinError(QStringLiteral("%1: the import %2 names no package").arg(package.FileName(), path));
    const PackageFile &other = Get(package.ObjectName(top));
    const PackageObject found = Find(other, path, package.ObjectClassName(ref));
    if (!found.IsValid())
        throw KelvarinError(QStringLiteral("%1 holds no %2 %3, which %4 imports")
                                .arg(other.FileName(), package.ObjectClassName(ref), path, package.PackageName()));
    return found;
}

QString PackageSet::PathName(const PackageFile &package, int32_t ref)
{
    QString path = package.ObjectName(ref);
    int32_t outer = ref > 0 ? package.Exports()[size_t(ref - 1)].outer
                            : package.Imports()[size_t(-int64_t(ref) - 1)].outer;
    int32_t last = ref;
    while (outer != 0) {
        path = package.ObjectName(outer) + QLatin1Char('.') + path;
        last = outer;
        outer = outer > 0 ? package.Exports()[size_t(outer - 1)].outer
                          : package.Imports()[size_t(-int64_t(outer) - 1)].outer;
    }
    // An export's outermost outer is the package itself, which has no entry.
    if (last > 0)
        path = package.PackageName() + QLatin1Char('.') + path;
    return path;
}

} // namespace kelvarin
