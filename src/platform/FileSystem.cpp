#include "platform/FileSystem.h"

#include "platform/SpecPath.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace kelvarin::FileSystem {

namespace {

struct SplitPattern
{
    QString dir;      // native directory
    QString pattern;  // wildcard of the last component
};

SplitPattern Split(const QString &specPattern)
{
    const qsizetype cut = std::max(specPattern.lastIndexOf(QLatin1Char('\\')),
                                   specPattern.lastIndexOf(QLatin1Char('/')));
    SplitPattern result;
    if (cut < 0) {
        result.dir = QStringLiteral(".");
        result.pattern = specPattern;
    } else {
        const QString dirPart = specPattern.left(cut + 1);
        result.dir = SpecPath::ToNative(dirPart);
        if (result.dir.isEmpty())
            result.dir = QStringLiteral("/");
        result.pattern = specPattern.mid(cut + 1);
    }
    return result;
}

QRegularExpression WildcardRegex(const QString &pattern)
{
    // Windows wildcards know only "*" and "?"; anything else is literal.
    QString regex;
    for (QChar c : pattern) {
        if (c == QLatin1Char('*'))
            regex += QLatin1String(".*");
        else if (c == QLatin1Char('?'))
            regex += QLatin1Char('.');
        else
            regex += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(regex),
                              QRegularExpression::CaseInsensitiveOption
                                  | QRegularExpression::DotMatchesEverythingOption);
}

QDir::Filters FiltersFor(ListWhat what)
{
    QDir::Filters filters = QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    switch (what) {
    case ListWhat::Files:
        return filters | QDir::Files;
    case ListWhat::Directories:
        return filters | QDir::Dirs;
    case ListWhat::Everything:
        break;
    }
    return filters | QDir::AllEntries;
}

} // namespace

QStringList List(const QString &specPattern, ListWhat what)
{
    const SplitPattern split = Split(specPattern);
    if (split.pattern.isEmpty())
        return {};
    const QRegularExpression regex = WildcardRegex(split.pattern);
    QStringList result;
    QDirIterator it(split.dir, FiltersFor(what));
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (regex.match(name).hasMatch())
            result.append(name);
    }
    return result;
}

bool AnyMatch(const QString &specPattern)
{
    const SplitPattern split = Split(specPattern);
    if (split.pattern.isEmpty())
        return false;
    const QRegularExpression regex = WildcardRegex(split.pattern);
    QDirIterator it(split.dir, FiltersFor(ListWhat::Everything));
    while (it.hasNext()) {
        it.next();
        if (regex.match(it.fileName()).hasMatch())
            return true;
    }
    return false;
}

bool FileExists(const QString &specPath)
{
    const QFileInfo info(SpecPath::ToNative(specPath));
    return info.exists() && !info.isDir();
}

bool DirExists(const QString &specPath)
{
    return QFileInfo(SpecPath::ToNative(specPath)).isDir();
}

bool RemoveFile(const QString &specPath)
{
    const QString native = SpecPath::ToNative(specPath);
    const QFileInfo info(native);
    if (!info.exists() || info.isDir())
        return false;
    const bool ok = QFile::remove(native);
    SpecPath::ForgetListings();
    return ok;
}

bool RemoveDir(const QString &specPath)
{
    QString native = SpecPath::ToNative(specPath);
    while (native.size() > 1 && native.endsWith(QLatin1Char('/')))
        native.chop(1);
    const bool ok = QDir().rmdir(native);
    SpecPath::ForgetListings();
    return ok;
}

bool MakeDir(const QString &specPath)
{
    const bool ok = QDir().mkdir(SpecPath::ToNative(specPath));
    SpecPath::ForgetListings();
    return ok;
}

} // namespace kelvarin::FileSystem
