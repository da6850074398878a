#include "session/ProgramArguments.h"

#include "persist/StateFile.h"

#include <QDir>
#include <QUrl>

#include <algorithm>

namespace kelvarin {

namespace {

// Qt's own command-line options (QGuiApplication, QApplication), written
// with one dash or two; these take the next argument as their value unless
// written as -name=value.
const QStringList &QtOptionsWithValue()
{
    static const QStringList names{
        QStringLiteral("platform"),   QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"), QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
        QStringLiteral("qwindowtitle"), QStringLiteral("session"),
        QStringLiteral("display"),    QStringLiteral("geometry"),
        QStringLiteral("name"),       QStringLiteral("title"),
        QStringLiteral("style"),      QStringLiteral("stylesheet"),
        QStringLiteral("fontengine")};
    return names;
}

const QStringList &QtFlags()
{
    static const QStringList names{QStringLiteral("reverse"), QStringLiteral("nograb"),
                                   QStringLiteral("dograb"), QStringLiteral("widgetcount"),
                                   QStringLiteral("qmljsdebugger")};
    return names;
}

ProgramArguments Refuse(const QString &why)
{
    ProgramArguments result;
    result.action = ProgramArguments::Action::UsageError;
    result.message = why;
    return result;
}

} // namespace

ProgramArguments ProgramArguments::Parse(const QStringList &arguments, const QString &workingDir)
{
    QString given;
    bool haveFile = false;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        const bool isOption = !optionsEnded && arg.startsWith(QLatin1Char('-')) && arg.size() > 1;
        if (isOption) {
            if (arg == QLatin1String("--")) {
                optionsEnded = true;
                continue;
            }
            if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
                ProgramArguments result;
                result.action = Action::Help;
                return result;
            }
            if (arg == QLatin1String("--version") || arg == QLatin1String("-V")) {
                ProgramArguments result;
                result.action = Action::Version;
                return result;
            }
            QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
            const qsizetype equals = name.indexOf(QLatin1Char('='));
            const bool valueAttached = equals >= 0;
            if (valueAttached)
                name.truncate(equals);
            if (QtFlags().contains(name))
                continue;
            if (QtOptionsWithValue().contains(name)) {
                if (!valueAttached)
                    ++i;   // its value (a missing one is Qt's to ignore)
                continue;
            }
            return Refuse(QStringLiteral("unknown option: ") + arg);
        }
        if (arg.isEmpty())
            return Refuse(QStringLiteral("an empty file name was given"));
        if (arg == QLatin1String("-") && !optionsEnded)
            return Refuse(QStringLiteral("standard input cannot be opened; give a file name"));
        if (haveFile)
            return Refuse(QStringLiteral("only one file can be opened at a time"));
        given = arg;
        haveFile = true;
    }

    ProgramArguments result;
    if (!haveFile)
        return result;
    result.file = AbsoluteFile(given, workingDir);
    if (result.file.isEmpty())
        return Refuse(QStringLiteral("not a local file: ") + given);
    result.fileKind = KindOf(result.file);
    if (result.fileKind == FileKind::Unknown)
        result.message = QStringLiteral("%1 is neither a browser state (.Kelvar) nor a class (.uc); "
                                        "it was not opened")
                             .arg(QDir::toNativeSeparators(result.file));
    return result;
}

ProgramArguments::FileKind ProgramArguments::KindOf(const QString &fileName)
{
    if (fileName.isEmpty())
        return FileKind::None;
    if (fileName.endsWith(QLatin1String(".Kelvar"), Qt::CaseInsensitive))
        return FileKind::State;
    if (fileName.endsWith(QLatin1String(".uc"), Qt::CaseInsensitive) && !ClassNameOf(fileName).isEmpty())
        return FileKind::Class;
    if (!StateFile::BaseName(fileName).isEmpty())
        return FileKind::State;
    return FileKind::Unknown;
}

QString ProgramArguments::ClassNameOf(const QString &fileName)
{
    QString name = fileName;
    const qsizetype slash = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    if (slash >= 0)
        name = name.mid(slash + 1);
    if (name.endsWith(QLatin1String(".uc"), Qt::CaseInsensitive))
        name.chop(3);
    return name;
}

QString ProgramArguments::AbsoluteFile(const QString &fileName, const QString &workingDir)
{
    QString path = fileName;
    if (path.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl url(path);
        // A file on another host is no file here.
        const QString host = url.host();
        if (!url.isValid() || !url.isLocalFile()
            || !(host.isEmpty() || host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0))
            return QString();
        path = url.toLocalFile();
        if (path.isEmpty())
            return QString();
    }
    return QDir::cleanPath(QDir(workingDir).absoluteFilePath(path));
}

QString ProgramArguments::VersionText()
{
    return QString::fromUtf8(kVersionText);
}

QString ProgramArguments::Usage()
{
    return QStringLiteral(
        "Usage: kelvarin [FILE]\n"
        "The class browser for Unreal Tournament's UnrealScript classes.\n"
        "\n"
        "  FILE.Kelvar      load that browser state after the start-up\n"
        "  FILE.uc          select that class in the trees when it is loaded\n"
        "  -h, --help       print this text and exit\n"
        "  -V, --version    print the version and exit\n"
        "\n"
        "When Kelvarin already runs, it comes to the front and opens FILE itself.\n"
        "Exit status: 0 normally, 1 when another instance was asked to take over,\n"
        "2 for a usage error, 3 when no display can be reached.\n");
}

} // namespace kelvarin
