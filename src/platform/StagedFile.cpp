#include "platform/StagedFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kelvarin {

namespace {

// "<target>.kelvarin-<8 hex digits>": never matched by the "*.uc", "*.int"
// or ".Kelvar" lookups, so a left-over one (the process was killed) is
// never taken for a file of the game.
QString TemporaryName(const QString &target)
{
    return target + QStringLiteral(".kelvarin-%1").arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
}

// The file a write through native reaches: a symbolic link is followed to
// its final target (relative links from the link's own directory), so that
// the link stays a link and the file it leads to gets the new content. A
// chain that never ends is left as it is (the rename then replaces the link).
QString FollowLinks(const QString &native)
{
    QString target = native;
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(target);
        if (!info.isSymbolicLink())
            return target;
        const QString next = info.symLinkTarget();
        if (next.isEmpty())
            return native;
        target = next;
    }
    return native;
}

} // namespace

StagedFile::StagedFile(const QString &native)
    : m_target(FollowLinks(native))
{
}

StagedFile::~StagedFile()
{
    Discard();
}

void StagedFile::Discard()
{
    if (!m_temporary.isEmpty())
        QFile::remove(m_temporary);
    m_temporary.clear();
}

#ifdef Q_OS_WIN

bool StagedFile::Write(const QByteArray &bytes)
{
    Discard();
    for (int attempt = 0; attempt < 8 && m_temporary.isEmpty(); ++attempt) {
        const QString name = TemporaryName(m_target);
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            continue;
        m_temporary = name;
        const bool ok = file.write(bytes) == bytes.size() && file.flush();
        file.close();
        if (!ok || file.error() != QFileDevice::NoError) {
            Discard();
            return false;
        }
    }
    return !m_temporary.isEmpty();
}

bool StagedFile::Commit()
{
    if (m_temporary.isEmpty())
        return false;
    const bool ok = MoveFileExW(reinterpret_cast<const wchar_t *>(m_temporary.utf16()),
                                reinterpret_cast<const wchar_t *>(m_target.utf16()),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (ok)
        m_temporary.clear();
    return ok;
}

#else

bool StagedFile::Write(const QByteArray &bytes)
{
    Discard();
    const QByteArray target = QFile::encodeName(m_target);
    struct stat old;
    const bool replacing = ::stat(target.constData(), &old) == 0 && S_ISREG(old.st_mode);
    int fd = -1;
    QString name;
    for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
        name = TemporaryName(m_target);
        fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    m_temporary = name;
    bool ok = !replacing || ::fchmod(fd, old.st_mode & 07777) == 0;
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (ok && left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            ok = false;
            break;
        }
        data += written;
        left -= written;
    }
    if (::close(fd) != 0)
        ok = false;
    if (!ok)
        Discard();
    return ok;
}

bool StagedFile::Commit()
{
    if (m_temporary.isEmpty())
        return false;
    if (::rename(QFile::encodeName(m_temporary).constData(), QFile::encodeName(m_target).constData()) != 0)
        return false;
    m_temporary.clear();
    return true;
}

#endif

bool StagedFile::SetPermissions(QFileDevice::Permissions permissions)
{
    return !m_temporary.isEmpty() && QFile::setPermissions(m_temporary, permissions);
}

bool StagedFile::WriteFile(const QString &native, const QByteArray &bytes)
{
    StagedFile file(native);
    return file.Write(bytes) && file.Commit();
}

} // namespace kelvarin
