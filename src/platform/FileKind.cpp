#include "platform/FileKind.h"

#include "platform/SpecPath.h"

#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <cerrno>
#include <sys/stat.h>
#endif

namespace kelvarin::FileKind {

#ifndef Q_OS_WIN

namespace {

// 1: a regular file; 0: something else; -1: nothing by that name.
int Kind(const QString &nativePath)
{
    struct stat st;
    if (::stat(QFile::encodeName(nativePath).constData(), &st) != 0)
        return errno == ENOENT ? -1 : 0;
    return S_ISREG(st.st_mode) ? 1 : 0;
}

} // namespace

bool IsRegularFile(const QString &specPath)
{
    // Most names are spelled as on disk: the case-insensitive match is only
    // made for a name that is not found as written.
    QString asWritten = specPath;
    asWritten.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const int kind = Kind(asWritten);
    if (kind >= 0)
        return kind == 1;
    const QString resolved = SpecPath::ToNative(specPath);
    return resolved != asWritten && Kind(resolved) == 1;
}

#else

bool IsRegularFile(const QString &specPath)
{
    return QFileInfo(SpecPath::ToNative(specPath)).isFile();
}

#endif

} // namespace kelvarin::FileKind
