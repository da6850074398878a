#pragma once

#include "package/PackageFile.h"

#include <QHash>
#include <QString>

#include <map>
#include <memory>

namespace kelvarin {

// An object of a compiled package: the package and the export's index.
struct PackageObject
{
    const PackageFile *package = nullptr;
    int exportIndex = -1;

    bool IsValid() const { return package && exportIndex >= 0; }
    bool operator==(const PackageObject &other) const = default;
};

// The compiled packages that one export needs: the package exported, and
// the packages its imports name, opened from the game's System directory
// (found ignoring case) on first use and kept open while the set lives.
class PackageSet
{
public:
    // systemDir: the System directory as a path built the Windows way.
    explicit PackageSet(const QString &systemDir);
    ~PackageSet();
    PackageSet(const PackageSet &) = delete;
    PackageSet &operator=(const PackageSet &) = delete;

    // Keeps a package already read (the one being exported); it answers for
    // its name from then on.
    const PackageFile &Adopt(PackageFile package);
    // The package of that name; raises KelvarinError when it cannot be read.
    const PackageFile &Get(const QString &name);

    // The object a reference of package names: an export of the same
    // package, or the export an import stands for in its own package.
    // Raises KelvarinError when the import's package cannot be read or does
    // not hold that object; an invalid object for reference 0.
    PackageObject Resolve(const PackageFile &package, int32_t ref);
    // The export of that path ("Group.Name", without the package) and class
    // name in the package, or an invalid object.
    PackageObject Find(const PackageFile &package, const QString &path, const QString &className);

    // "Package.Group.Name" of an object reference of package.
    static QString PathName(const PackageFile &package, int32_t ref);

private:
    struct Entry
    {
        std::unique_ptr<PackageFile> package;
        // Upper-cased "path:class" of every export, built on first search.
        QHash<QString, int> exports;
        bool indexed = false;
    };
    Entry &EntryOf(const PackageFile &package);

    QString m_systemDir;
    std::map<QString, Entry> m_packages;   // by upper-cased name
};

} // namespace kelvarin
