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

bool ReadOnlyFile::OpenNative(const QString &nativePath)
{
    Close();
    m_fd = OpenRegular(nativePath);
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

bool ReadOnlyFile::OpenNative(const QString &nativePath)
{
    Close();
    if (!QFileInfo(nativePath).isFile())
        return false;
    auto *file = new QFile(nativePath);
    if (!file->open(QIODevice::ReadOnly)) {
        delete file;
        return false;
    }
    m_qfile = file;
    return true;
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
