#include "platform/UserCache.h"
#include "platform/UserCache_p.h"

#include <QDir>

namespace kelvarin::UserCache {

QString Directory()
{
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.cache");
    return base + QStringLiteral("/Kelvarin");
}

void Detail::AllowReplacing(const QString &)
{
}

} // namespace kelvarin::UserCache
