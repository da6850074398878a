#include "platform/StagedFile.h"
#include "platform/StagedFile_p.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvarin {

using Detail::TemporaryName;

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

} // namespace kelvarin
