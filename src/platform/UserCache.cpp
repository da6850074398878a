#include "platform/UserCache.h"

#include "platform/Errors.h"
#include "platform/SpecPath.h"
#include "platform/StagedFile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace kelvarin::UserCache {

QString Directory()
{
#ifdef Q_OS_WIN
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/Kelvarin");
#else
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.cache");
    return base + QStringLiteral("/Kelvarin");
#endif
}

QString WriteReadOnlyCopy(const QString &folder, const QString &fileName, const QByteArray &bytes)
{
    const QString dir = Directory() + QLatin1Char('/') + folder;
    const QString path = dir + QLatin1Char('/') + fileName;
    const QString shown = QDir::toNativeSeparators(path);
    if (!SpecPath::IsSafeComponent(folder) || !SpecPath::IsSafeComponent(fileName))
        throw KelvarinError(QStringLiteral("Unable to write ") + shown);
    if (!QDir().mkpath(dir))
        throw KelvarinError(QStringLiteral("Unable to create the directory ") + QDir::toNativeSeparators(dir));
    // The rename replaces a read-only copy as well: only the directory's
    // permissions matter to it.
    StagedFile staged(path);
    bool written = staged.Write(bytes);
#ifdef Q_OS_WIN
    // Windows refuses to rename over a read-only file.
    if (written && QFile::exists(path))
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
#endif
    if (!written)
        throw KelvarinError(QStringLiteral("Unable to write ") + shown);
    // Read-only before the rename: the copy is never writable in place.
    if (!staged.SetPermissions(QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther))
        throw KelvarinError(QStringLiteral("Unable to mark ") + shown + QStringLiteral(" read-only"));
    if (!staged.Commit())
        throw KelvarinError(QStringLiteral("Unable to write ") + shown);
    return path;
}

} // namespace kelvarin::UserCache
