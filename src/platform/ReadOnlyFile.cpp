#include "platform/ReadOnlyFile.h"

#include "platform/SpecPath.h"

#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kelvarin {

ReadOnlyFile::~ReadOnlyFile()
{
    Close();
}

void ReadOnlyFile::Close()
{
#ifndef Q_OS_WIN
    if (m_fd >= 0)
        ::close(m_fd);
#endif
    m_fd = -1;
    delete static_cast<QFile *>(m_qfile);
    m_qfile = nullptr;
}

#ifndef Q_OS_WIN

namespace {

int OpenRegular(const QString &nativePath)
{
    const QByteArray name = QFile::encodeName(nativePath);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

bool ReadOnlyFile::Open(const QString &specPath)
{
    Close();
    QString asWritten = specPath;
    asWritten.replace(QLatin1Char('\\'), QLatin1Char('/'));
    m_fd = OpenRegular(asWritten);
    if (m_fd < 0 && errno == ENOENT) {
        const QString resolved = SpecPath::ToNative(specPath);
        if (resolved != asWritten)
            m_fd = OpenRegular(resolved);
    }
    return m_fd >= 0;
}

bool ReadOnlyFile::OpenListed(const FileSystem::Listing &listing, const FileSystem::Listing::Entry &entry)
{
    Close();
    if (entry.kind != FileSystem::Listing::Kind::Regular)
        return false;
    if (!listing.dirHandle)
        return (m_fd = OpenRegular(listing.nativeDir + entry.name)) >= 0;
    // Opened by name within the listed directory: no path walk. The listing
    // said it is a regular file; non-blocking, a pipe put in its place
    // meanwhile would give no bytes rather than hang the reader.
    m_fd = ::openat(*listing.dirHandle, entry.nativeName.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    return m_fd >= 0;
}

bool ReadOnlyFile::ReadMore(QByteArray &bytes, qint64 maxBytes)
{
    if (m_fd < 0 || maxBytes <= 0)
        return false;
    const qsizetype start = bytes.size();
    bytes.resize(start + maxBytes);
    qsizetype got = 0;
    while (got < maxBytes) {
        const ssize_t n = ::read(m_fd, bytes.data() + start + got, size_t(maxBytes - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    bytes.resize(start + got);
    return got == maxBytes;
}

qint64 ReadOnlyFile::Size() const
{
    struct stat st;
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return -1;
    return qint64(st.st_size);
}

qint64 ReadOnlyFile::ReadSome(QByteArray &bytes, qint64 maxBytes)
{
    if (m_fd < 0 || maxBytes <= 0)
        return 0;
    const qsizetype start = bytes.size();
    bytes.resize(start + maxBytes);
    ssize_t n;
    do {
        n = ::read(m_fd, bytes.data() + start, size_t(maxBytes));
    } while (n < 0 && errno == EINTR);
    bytes.resize(start + std::max<ssize_t>(n, 0));
    return std::max<ssize_t>(n, 0);
}

#else

bool ReadOnlyFile::Open(const QString &specPath)
{
    Close();
    const QString path = SpecPath::ToNative(specPath);
    if (!QFileInfo(path).isFile())
        return false;
    auto *file = new QFile(path);
    if (!file->open(QIODevice::ReadOnly)) {
        delete file;
        return false;
    }
    m_qfile = file;
    return true;
}

bool ReadOnlyFile::OpenListed(const FileSystem::Listing &listing, const FileSystem::Listing::Entry &entry)
{
    Close();
    const QString nativePath = listing.nativeDir + entry.name;
    if (entry.kind != FileSystem::Listing::Kind::Regular || !QFileInfo(nativePath).isFile())
        return false;
    auto *file = new QFile(nativePath);
    if (!file->open(QIODevice::ReadOnly)) {
        delete file;
        return false;
    }
    m_qfile = file;
    return true;
}

qint64 ReadOnlyFile::ReadSome(QByteArray &bytes, qint64 maxBytes)
{
    auto *file = static_cast<QFile *>(m_qfile);
    if (!file || maxBytes <= 0)
        return 0;
    const QByteArray piece = file->read(maxBytes);
    bytes.append(piece);
    return piece.size();
}

qint64 ReadOnlyFile::Size() const
{
    const auto *file = static_cast<const QFile *>(m_qfile);
    return file ? file->size() : -1;
}

bool ReadOnlyFile::ReadMore(QByteArray &bytes, qint64 maxBytes)
{
    auto *file = static_cast<QFile *>(m_qfile);
    if (!file || maxBytes <= 0)
        return false;
    const QByteArray piece = file->read(maxBytes);
    bytes.append(piece);
    return piece.size() == maxBytes && !file->atEnd();
}

#endif

} // namespace kelvarin
