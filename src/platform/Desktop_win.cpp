#include "platform/Desktop.h"
#include "platform/Desktop_p.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace kelvarin::Desktop {

bool Detail::IsExecutableFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

QString FindOnPath(const QString &name)
{
    if (name.isEmpty())
        return {};
    return QStandardPaths::findExecutable(name);
}

QString ProgramSuffix(const QString &defaultExtension)
{
    QString suffix = defaultExtension;
    if (suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    return suffix;
}

} // namespace kelvarin::Desktop
