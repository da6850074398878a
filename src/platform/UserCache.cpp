#include "platform/UserCache.h"
#include "platform/UserCache_p.h"

#include "platform/Errors.h"
#include "platform/SpecPath.h"
#include "platform/StagedFile.h"

#include <QDir>
#include <QFile>

namespace kelvarin::UserCache {

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
    if (written)
        Detail::AllowReplacing(path);
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
