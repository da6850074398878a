#include "platform/UserCache.h"
#include "platform/UserCache_p.h"

#include <QFile>
#include <QStandardPaths>

namespace kelvarin::UserCache {

QString Directory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/Kelvarin");
}

void Detail::AllowReplacing(const QString &path)
{
    if (QFile::exists(path))
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace kelvarin::UserCache
