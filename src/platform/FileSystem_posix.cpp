#include "platform/FileSystem.h"
#include "platform/FileSystem_p.h"

#include "platform/SpecPath.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvarin::FileSystem {

using Detail::Split;
using Detail::SplitPattern;
using Detail::StartListing;
using Detail::WildcardMatch;

namespace {

// A name as the directory gives it. Plain ASCII, as nearly every game file's
// name is, is its own text; anything else is decoded as Qt decodes file names.
QString DecodeName(const char *raw)
{
    const size_t length = std::strlen(raw);
    for (size_t at = 0; at < length; ++at)
        if (static_cast<unsigned char>(raw[at]) >= 0x80)
            return QFile::decodeName(QByteArray(raw, qsizetype(length)));
    return QString::fromLatin1(raw, qsizetype(length));
}

} // namespace

QStringList List(const QString &specPattern, ListWhat what)
{
    const SplitPattern split = Split(specPattern);
    if (split.pattern.isEmpty())
        return {};
    QStringList result;
    // readdir directly: the listing of a package's sources is on the path of
    // every load, and the entry type usually comes with the name.
    DIR *dir = ::opendir(QFile::encodeName(split.dir).constData());
    if (!dir)
        return result;
    while (const dirent *entry = ::readdir(dir)) {
        const char *raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        const QString name = DecodeName(raw);
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
    return result;
}

Listing ListWithKinds(const QString &specPattern)
{
    const SplitPattern split = Split(specPattern);
    if (split.pattern.isEmpty())
        return {};
    Listing result = StartListing(split);
    DIR *dir = ::opendir(QFile::encodeName(split.dir).constData());
    if (!dir)
        return result;
    result.dirHandle.Reset(::fcntl(::dirfd(dir), F_DUPFD_CLOEXEC, 0));
    while (const dirent *entry = ::readdir(dir)) {
        const char *raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        Listing::Entry listed;
        listed.name = DecodeName(raw);
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
    return result;
}

bool AnyMatch(const QString &specPattern)
{
    const SplitPattern split = Split(specPattern);
    if (split.pattern.isEmpty())
        return false;
    DIR *dir = ::opendir(QFile::encodeName(split.dir).constData());
    if (!dir)
        return false;
    bool found = false;
    while (const dirent *entry = ::readdir(dir)) {
        const char *raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        if (WildcardMatch(DecodeName(raw), split.pattern)) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

bool RemoveListed(const QString &nativeDir, const QByteArray &nativeName)
{
    QString dir = nativeDir;
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    const QByteArray path = QFile::encodeName(dir) + nativeName;
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return errno == ENOENT;
    if (S_ISDIR(st.st_mode))
        return false;
    const bool ok = ::unlink(path.constData()) == 0 || errno == ENOENT;
    SpecPath::ForgetListings();
    return ok;
}

} // namespace kelvarin::FileSystem
