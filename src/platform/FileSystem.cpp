#include "platform/FileSystem.h"

#include "platform/BackgroundThread.h"
#include "platform/EventPump.h"
#include "platform/SpecPath.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <atomic>
#include <thread>

#ifndef Q_OS_WIN
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kelvarin::FileSystem {

namespace {

struct SplitPattern
{
    QString dir;      // native directory
    QString pattern;  // wildcard of the last component
};

SplitPattern Split(const QString &specPattern)
{
    const qsizetype cut = std::max(specPattern.lastIndexOf(QLatin1Char('\\')),
                                   specPattern.lastIndexOf(QLatin1Char('/')));
    SplitPattern result;
    if (cut < 0) {
        result.dir = QStringLiteral(".");
        result.pattern = specPattern;
    } else {
        const QString dirPart = specPattern.left(cut + 1);
        result.dir = SpecPath::ToNative(dirPart);
        if (result.dir.isEmpty())
            result.dir = QStringLiteral("/");
        result.pattern = specPattern.mid(cut + 1);
    }
    return result;
}

bool SameLetter(QChar a, QChar b)
{
    if (a == b)
        return true;
    const char16_t x = a.unicode();
    const char16_t y = b.unicode();
    if (x < 0x80 && y < 0x80)
        return (x | 0x20) == (y | 0x20) && (x | 0x20) >= 'a' && (x | 0x20) <= 'z';
    return a.toCaseFolded() == b.toCaseFolded();
}

// Windows wildcards: "*" any run, "?" any one character, everything else
// itself, letters in any case.
bool WildcardMatch(QStringView name, QStringView pattern)
{
    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == QLatin1Char('?') || SameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

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
#ifndef Q_OS_WIN
    // readdir directly: the listing of a package's sources is on the path of
    // every load, and the entry type usually comes with the name.
    DIR *dir = ::opendir(QFile::encodeName(split.dir).constData());
    if (!dir)
        return result;
    while (const dirent *entry = ::readdir(dir)) {
        const char *raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        const QString name = QFile::decodeName(raw);
        if (!WildcardMatch(name, split.pattern))
            continue;
        if (what != ListWhat::Everything) {
            bool isDir = false;
            if (entry->d_type == DT_DIR) {
                isDir = true;
            } else if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
                struct stat st;
                const QByteArray full = QFile::encodeName(split.dir + QLatin1Char('/') + name);
                isDir = ::stat(full.constData(), &st) == 0 && S_ISDIR(st.st_mode);
            }
            if (isDir != (what == ListWhat::Directories))
                continue;
        }
        result.append(name);
    }
    ::closedir(dir);
#else
    QDirIterator it(split.dir, FiltersFor(what));
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (WildcardMatch(name, split.pattern))
            result.append(name);
    }
#endif
    return result;
}

Listing ListWithKinds(const QString &specPattern)
{
    const SplitPattern split = Split(specPattern);
    Listing result;
    if (split.pattern.isEmpty())
        return result;
    result.nativeDir = split.dir;
    if (!result.nativeDir.endsWith(QLatin1Char('/')))
        result.nativeDir += QLatin1Char('/');
#ifndef Q_OS_WIN
    DIR *dir = ::opendir(QFile::encodeName(split.dir).constData());
    if (!dir)
        return result;
    const int fd = ::dup(::dirfd(dir));
    if (fd >= 0)
        result.dirHandle = std::shared_ptr<int>(new int(fd), [](int *handle) {
            ::close(*handle);
            delete handle;
        });
    while (const dirent *entry = ::readdir(dir)) {
        const char *raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        Listing::Entry listed;
        listed.name = QFile::decodeName(raw);
        if (!WildcardMatch(listed.name, split.pattern))
            continue;
        listed.nativeName = QByteArray(raw);
        listed.kind = entry->d_type == DT_REG   ? Listing::Kind::Regular
                      : entry->d_type == DT_DIR ? Listing::Kind::Directory
                                                : Listing::Kind::Other;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            // The listing does not say (some file systems never do), or it is
            // a link: ask for what the name leads to.
            struct stat st;
            if (::fstatat(::dirfd(dir), raw, &st, 0) == 0)
                listed.kind = S_ISREG(st.st_mode)   ? Listing::Kind::Regular
                              : S_ISDIR(st.st_mode) ? Listing::Kind::Directory
                                                    : Listing::Kind::Other;
        }
        result.entries.push_back(std::move(listed));
    }
    ::closedir(dir);
#else
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
#endif
    return result;
}

bool AnyMatch(const QString &specPattern)
{
    const SplitPattern split = Split(specPattern);
    if (split.pattern.isEmpty())
        return false;
#ifndef Q_OS_WIN
    DIR *dir = ::opendir(QFile::encodeName(split.dir).constData());
    if (!dir)
        return false;
    bool found = false;
    while (const dirent *entry = ::readdir(dir)) {
        const char *raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        if (WildcardMatch(QFile::decodeName(raw), split.pattern)) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
#else
    QDirIterator it(split.dir, FiltersFor(ListWhat::Everything));
    while (it.hasNext()) {
        it.next();
        if (WildcardMatch(it.fileName(), split.pattern))
            return true;
    }
    return false;
#endif
}

std::vector<char> AnyMatchEach(const QStringList &specPatterns, EventPump &pump)
{
    const qsizetype count = specPatterns.size();
    std::vector<char> answers(size_t(count), 0);
    std::atomic<bool> stop{false};
    // A few directories are listed faster than threads start. Otherwise
    // each thread takes its own slice of the list, this one the first.
    const int cores = QThread::idealThreadCount();
    const int slices = count >= 32 && cores > 1 ? std::min(cores, 4) : 1;
    auto slice = [count, slices](int which) { return count * which / slices; };
    std::vector<std::thread> helpers;
    for (int which = 1; which < slices; ++which)
        helpers.emplace_back([&, which] {
            BackgroundThread::LowerPriority();
            for (qsizetype at = slice(which); at < slice(which + 1) && !stop.load(std::memory_order_relaxed); ++at)
                answers[size_t(at)] = AnyMatch(specPatterns.at(at)) ? 1 : 0;
        });
    for (qsizetype at = 0; at < slice(1); ++at) {
        pump.Pump();
        if (pump.Terminating()) {
            stop = true;
            break;
        }
        answers[size_t(at)] = AnyMatch(specPatterns.at(at)) ? 1 : 0;
    }
    for (std::thread &helper : helpers)
        helper.join();
    if (stop)
        std::fill(answers.begin(), answers.end(), 0);
    return answers;
}

bool FileExists(const QString &specPath)
{
    const QFileInfo info(SpecPath::ToNative(specPath));
    return info.exists() && !info.isDir();
}

bool DirExists(const QString &specPath)
{
    return QFileInfo(SpecPath::ToNative(specPath)).isDir();
}

bool RemoveFile(const QString &specPath)
{
    const QString native = SpecPath::ToNative(specPath);
    const QFileInfo info(native);
    if (!info.exists() || info.isDir())
        return false;
    const bool ok = QFile::remove(native);
    SpecPath::ForgetListings();
    return ok;
}

bool RemoveListed(const QString &nativeDir, const QByteArray &nativeName)
{
    QString dir = nativeDir;
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
#ifndef Q_OS_WIN
    const QByteArray path = QFile::encodeName(dir) + nativeName;
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return errno == ENOENT;
    if (S_ISDIR(st.st_mode))
        return false;
    const bool ok = ::unlink(path.constData()) == 0 || errno == ENOENT;
#else
    const QString path = dir + QFile::decodeName(nativeName);
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    if (info.isDir() && !info.isSymLink())
        return false;
    const bool ok = QFile::remove(path);
#endif
    SpecPath::ForgetListings();
    return ok;
}

bool RemoveDir(const QString &specPath)
{
    QString native = SpecPath::ToNative(specPath);
    while (native.size() > 1 && native.endsWith(QLatin1Char('/')))
        native.chop(1);
    const bool ok = QDir().rmdir(native);
    SpecPath::ForgetListings();
    return ok;
}

bool MakeDir(const QString &specPath)
{
    const bool ok = QDir().mkdir(SpecPath::ToNative(specPath));
    SpecPath::ForgetListings();
    return ok;
}

} // namespace kelvarin::FileSystem
