#include "platform/ReadOnlyFile.h"

#include "platform/SpecPath.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvarin {

ReadOnlyFile::ReadOnlyFile() = default;

ReadOnlyFile::~ReadOnlyFile() = default;

void ReadOnlyFile::Close()
{
    m_fd.Reset();
}

namespace {

// The descriptor of a regular file; none (errno set) otherwise.
FileDescriptor OpenRegular(const QString &nativePath)
{
    const QByteArray name = QFile::encodeName(nativePath);
    FileDescriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (fd && (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))) {
        fd.Reset();
        errno = EISDIR;
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
    if (!m_fd && errno == ENOENT) {
        const QString resolved = SpecPath::ToNative(specPath);
        if (resolved != asWritten)
            m_fd = OpenRegular(resolved);
    }
    return m_fd.Valid();
}

bool ReadOnlyFile::OpenListed(const FileSystem::Listing &listing, const FileSystem::Listing::Entry &entry)
{
    Close();
    if (entry.kind != FileSystem::Listing::Kind::Regular)
        return false;
    if (!listing.dirHandle)
        return (m_fd = OpenRegular(listing.nativeDir + entry.name)).Valid();
    // Opened by name within the listed directory: no path walk. The listing
    // said it is a regular file; non-blocking, a pipe put in its place
    // meanwhile would give no bytes rather than hang the reader.
    m_fd.Reset(::openat(listing.dirHandle.Get(), entry.nativeName.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    return m_fd.Valid();
}

bool ReadOnlyFile::ReadMore(QByteArray &bytes, qint64 maxBytes)
{
    if (!m_fd || maxBytes <= 0)
        return false;
    const qsizetype start = bytes.size();
    bytes.resize(start + maxBytes);
    qsizetype got = 0;
    while (got < maxBytes) {
        const ssize_t n = ::read(m_fd.Get(), bytes.data() + start + got, size_t(maxBytes - got));
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
    if (!m_fd || ::fstat(m_fd.Get(), &st) != 0)
        return -1;
    return qint64(st.st_size);
}

qint64 ReadOnlyFile::ReadSome(QByteArray &bytes, qint64 maxBytes)
{
    if (!m_fd || maxBytes <= 0)
        return 0;
    const qsizetype start = bytes.size();
    bytes.resize(start + maxBytes);
    ssize_t n;
    do {
        n = ::read(m_fd.Get(), bytes.data() + start, size_t(maxBytes));
    } while (n < 0 && errno == EINTR);
    bytes.resize(start + std::max<ssize_t>(n, 0));
    return std::max<ssize_t>(n, 0);
}

} // namespace kelvarin
