#include "platform/SpecPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

#include <algorithm>


namespace kelvarin::SpecPath {

QString Display(const QString &specPath)
{
    return QDir::toNativeSeparators(ToNative(specPath));
}

bool IsSafeComponent(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (QChar c : name) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('/') || c == QLatin1Char(':')
            || c.unicode() == 0)
            return false;
    }
    return true;
}

} // namespace kelvarin::SpecPath
