#include "platform/SpecPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

#include <algorithm>
#include <utility>

#include <sys/stat.h>
#include <time.h>

namespace kelvarin::SpecPath {

namespace {

// Directory listings made while resolving names, kept as long as the
// directory is the same one (device and inode) with an unchanged modification
// time (adding or removing an entry changes it), so resolving many files of
// one directory lists it once. File systems stamp times coarsely (a clock
// tick, or two seconds), so a change made in the same tick as the listing may
// leave the time as it was: a listing of a directory modified less than
// kSettled before it was made is not kept.
constexpr qint64 kSettled = 2000000000;   // nanoseconds

struct ListingCache
{
    struct Entry
    {
        qint64 modified = 0;
        quint64 device = 0;
        quint64 inode = 0;
        QStringList names;   // sorted in byte order
    };
    QMutex mutex;
    QHash<QString, Entry> entries;
};

ListingCache &Cache()
{
    static ListingCache cache;
    return cache;
}

QStringList NamesIn(const QString &dir)
{
    const QString where = dir.isEmpty() ? QStringLiteral(".") : dir;
    qint64 modified = 0;
    quint64 device = 0;
    quint64 inode = 0;
    bool settled = false;
    struct stat st;
    if (::stat(QFile::encodeName(where).constData(), &st) == 0) {
        modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        device = quint64(st.st_dev);
        inode = quint64(st.st_ino);
        struct timespec now;
        if (::clock_gettime(CLOCK_REALTIME, &now) == 0)
            settled = qint64(now.tv_sec) * 1000000000 + now.tv_nsec - modified >= kSettled;
    }
    ListingCache &cache = Cache();
    QMutexLocker lock(&cache.mutex);
    auto it = cache.entries.find(dir);
    if (it != cache.entries.end() && it->modified == modified && it->device == device
        && it->inode == inode && modified != 0)
        return it->names;
    QStringList names = QDir(where)
                            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                           | QDir::NoDotAndDotDot,
                                       QDir::NoSort);
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return a.toUtf8() < b.toUtf8();
    });
    if (!settled) {
        cache.entries.remove(dir);
        return names;
    }
    if (cache.entries.size() > 512)
        cache.entries.clear();
    cache.entries.insert(dir, ListingCache::Entry{modified, device, inode, names});
    return names;
}

} // namespace

void ForgetListings()
{
    ListingCache &cache = Cache();
    QMutexLocker lock(&cache.mutex);
    cache.entries.clear();
}

QString ToNative(const QString &specPath)
{
    QString path = specPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (path.isEmpty() || QFileInfo::exists(path))
        return path;

    const bool rooted = path.startsWith(QLatin1Char('/'));
    const bool trailing = path.endsWith(QLatin1Char('/'));
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    auto joined = [&parts, rooted](qsizetype count) {
        QString prefix = rooted ? QStringLiteral("/") : QString();
        for (qsizetype at = 0; at < count; ++at) {
            if (at > 0)
                prefix += QLatin1Char('/');
            prefix += parts.at(at);
        }
        return prefix;
    };
    // The longest leading part that exists as written needs no resolving:
    // each directory above it exists as written too. Looked for from the end,
    // a file missing from a directory that exists costs one check, not one
    // per directory from the root.
    qsizetype kept = parts.size() - 1;
    while (kept > 0 && !QFileInfo::exists(joined(kept)))
        --kept;
    kept = std::max<qsizetype>(kept, 0);
    QString resolved = joined(kept);
    bool stillExists = true;
    // The first part below it was just found missing as written (unless
    // only with the trailing slash, which a file does not take).
    bool knownMissing = !trailing;
    for (const QString &part : parts.sliced(kept)) {
        QString candidate = resolved.isEmpty() || resolved.endsWith(QLatin1Char('/'))
            ? resolved + part
            : resolved + QLatin1Char('/') + part;
        const bool firstBelow = std::exchange(knownMissing, false);
        if (stillExists && part != QLatin1String(".") && part != QLatin1String("..")
            && (firstBelow || !QFileInfo::exists(candidate))) {
            const QStringList names = NamesIn(resolved);
            // Names equal ignoring case have the same length: the rest are
            // passed over without comparing their letters.
            auto match = std::find_if(names.begin(), names.end(), [&part](const QString &n) {
                return n.size() == part.size() && n.compare(part, Qt::CaseInsensitive) == 0;
            });
            if (match != names.end()) {
                candidate = resolved.isEmpty() || resolved.endsWith(QLatin1Char('/'))
                    ? resolved + *match
                    : resolved + QLatin1Char('/') + *match;
            } else {
                stillExists = false;
            }
        }
        resolved = candidate;
    }
    if (trailing && !resolved.endsWith(QLatin1Char('/')))
        resolved += QLatin1Char('/');
    return resolved;
}

} // namespace kelvarin::SpecPath
