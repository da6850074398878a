#include "platform/Desktop.h"
#include "platform/Desktop_p.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace kelvarin::Desktop {

bool Detail::IsExecutableFile(const QString &path)
{
    const QByteArray bytes = QFile::encodeName(path);
    struct stat st;
    return ::stat(bytes.constData(), &st) == 0 && S_ISREG(st.st_mode) && ::access(bytes.constData(), X_OK) == 0;
}

QString FindOnPath(const QString &name)
{
    if (name.isEmpty())
        return {};
    if (name.contains(QLatin1Char('/')))
        return Detail::IsExecutableFile(name) ? QFileInfo(name).absoluteFilePath() : QString();
    // An empty entry would mean the current directory: never searched.
    const QString path = qEnvironmentVariableIsSet("PATH") ? qEnvironmentVariable("PATH")
                                                           : QStringLiteral("/usr/local/bin:/usr/bin:/bin");
    for (const QString &dir : path.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString candidate = dir + QLatin1Char('/') + name;
        if (Detail::IsExecutableFile(candidate))
            return QFileInfo(candidate).absoluteFilePath();
    }
    return {};
}

QString ProgramSuffix(const QString &)
{
    return QString();
}

} // namespace kelvarin::Desktop
