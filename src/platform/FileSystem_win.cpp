#include "platform/FileSystem.h"
#include "platform/FileSystem_p.h"

#include "platform/SpecPath.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace kelvarin::FileSystem {

using Detail::Split;
using Detail::SplitPattern;
using Detail::StartListing;
using Detail::WildcardMatch;

namespace {

QDir::Filters FiltersFor(ListWhat what)
{
    QDir::Filters filters = QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    switch (what) {
    case ListWhat::Files:
        return filters | QDir::Files;
    case ListWhat::Directories:
        return filters | QDir::Dirs;
    case ListWhat::Everything:
        break;
    }
    return filters | QDir::AllEntries;
}

} // namespace

QStringList List(const QString &specPattern, ListWhat what)
{
    const SplitPattern split = Split(specPattern);
    if (split.pattern.isEmpty())
        return {};
    QStringList result;
    QDirIterator it(split.dir, FiltersFor(what));
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (WildcardMatch(name, split.pattern))
            result.append(name);
    }
    return result;
}

Listing ListWithKinds(const QString &specPattern)
{
    const SplitPattern split = Split(specPattern);
    if (split.pattern.isEmpty())
        return {};
    Listing result = StartListing(split);
    QDirIterator it(split.dir, FiltersFor(ListWhat::Everything));
    while (it.hasNext()) {
        it.next();
        Listing::Entry listed;
        listed.name = it.fileName();
        if (!WildcardMatch(listed.name, split.pattern))
            continue;
        listed.nativeName = QFile::encodeName(listed.name);
        listed.kind = it.fileInfo().isFile() ? Listing::Kind::Regular
                      : it.fileInfo().isDir() ? Listing::Kind::Directory
                                              : Listing::Kind::Other;
        result.entries.push_back(std::move(listed));
    }
    return result;
}

bool AnyMatch(const QString &specPattern)
{
    const SplitPattern split = Split(specPattern);
    if (split.pattern.isEmpty())
        return false;
    QDirIterator it(split.dir, FiltersFor(ListWhat::Everything));
    while (it.hasNext()) {
        it.next();
        if (WildcardMatch(it.fileName(), split.pattern))
            return true;
    }
    return false;
}

bool RemoveListed(const QString &nativeDir, const QByteArray &nativeName)
{
    QString dir = nativeDir;
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    const QString path = dir + QFile::decodeName(nativeName);
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    if (info.isDir() && !info.isSymLink())
        return false;
    const bool ok = QFile::remove(path);
    SpecPath::ForgetListings();
    return ok;
}

} // namespace kelvarin::FileSystem
