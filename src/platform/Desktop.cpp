#include "platform/Desktop.h"
#include "platform/Desktop_p.h"

#include "platform/LaunchCodes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>


namespace kelvarin::Desktop {

namespace {

constexpr int kQueryTimeoutMs = 5000;

QString Environment(const char *name)
{
    return qEnvironmentVariable(name);
}

using Detail::IsExecutableFile;

// Where a program named in a desktop file or a command is: a path as it
// is, a bare name on PATH. Empty when it is not an executable file.
QString ResolveProgram(const QString &program)
{
    if (program.contains(QLatin1Char('/')))
        return IsExecutableFile(program) ? QFileInfo(program).absoluteFilePath() : QString();
    return FindOnPath(program);
}

// The id of the desktop's default plain-text application, as xdg-mime names
// it ("org.gnome.gedit.desktop"); several may be given, separated by ";".
QStringList DefaultTextEditorIds()
{
    const QString xdgMime = FindOnPath(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return {};
    QProcess query;
    query.setProgram(xdgMime);
    query.setArguments({QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/plain")});
    query.setStandardInputFile(QProcess::nullDevice());
    query.setStandardErrorFile(QProcess::nullDevice());
    query.start();
    if (!query.waitForStarted(kQueryTimeoutMs))
        return {};
    if (!query.waitForFinished(kQueryTimeoutMs)) {
        query.kill();
        query.waitForFinished(kQueryTimeoutMs);
        return {};
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return {};
    const QString output = QString::fromUtf8(query.readAllStandardOutput());
    const QString firstLine = output.section(QLatin1Char('\n'), 0, 0).trimmed();
    QStringList ids;
    for (const QString &id : firstLine.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString trimmed = id.trimmed();
        // The id names a file below an applications directory: nothing that
        // could lead out of it.
        if (trimmed.endsWith(QLatin1String(".desktop")) && !trimmed.contains(QLatin1Char('/'))
            && !trimmed.startsWith(QLatin1Char('.')))
            ids.append(trimmed);
    }
    return ids;
}

QStringList ApplicationDirectories()
{
    QStringList dirs;
    QString dataHome = Environment("XDG_DATA_HOME");
    if (dataHome.isEmpty()) {
        const QString home = Environment("HOME");
        if (!home.isEmpty())
            dataHome = home + QStringLiteral("/.local/share");
    }
    if (!dataHome.isEmpty())
        dirs.append(dataHome + QStringLiteral("/applications"));
    QString dataDirs = Environment("XDG_DATA_DIRS");
    if (dataDirs.isEmpty())
        dataDirs = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString &dir : dataDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        dirs.append(dir + QStringLiteral("/applications"));
    return dirs;
}

// A desktop file id stands for a path below an applications directory with
// "/" written as "-" ("kde-kate.desktop" may be kde/kate.desktop).
QString FindDesktopFile(const QString &id)
{
    QStringList relatives{id};
    QString relative = id;
    for (qsizetype dash = relative.indexOf(QLatin1Char('-')); dash >= 0;
         dash = relative.indexOf(QLatin1Char('-'), dash + 1)) {
        relative[dash] = QLatin1Char('/');
        relatives.append(relative);
    }
    for (const QString &dir : ApplicationDirectories()) {
        for (const QString &candidate : relatives) {
            const QString path = dir + QLatin1Char('/') + candidate;
            if (QFileInfo(path).isFile())
                return path;
        }
    }
    return {};
}

// Undoes the escapes of a desktop file's string values.
QString UnescapeValue(QStringView value)
{
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 >= value.size()) {
            result.append(c);
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's': result.append(QLatin1Char(' ')); break;
        case 'n': result.append(QLatin1Char('\n')); break;
        case 't': result.append(QLatin1Char('\t')); break;
        case 'r': result.append(QLatin1Char('\r')); break;
        case '\\': result.append(QLatin1Char('\\')); break;
        default:
            result.append(c);
            result.append(next);
            break;
        }
    }
    return result;
}

struct DesktopEntry
{
    QString exec;
    QString path;
    bool terminal = false;
    bool hidden = false;
};

std::optional<DesktopEntry> ReadDesktopEntry(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    DesktopEntry entry;
    bool inEntry = false;
    bool hasExec = false;
    const QString text = QString::fromUtf8(file.read(1024 * 1024));
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntry)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QStringView key = line.left(equals).trimmed();
        const QString value = UnescapeValue(line.mid(equals + 1).trimmed());
        if (key == QLatin1String("Exec") && !hasExec) {
            entry.exec = value;
            hasExec = true;
        } else if (key == QLatin1String("Path")) {
            entry.path = value;
        } else if (key == QLatin1String("Terminal")) {
            entry.terminal = value == QLatin1String("true");
        } else if (key == QLatin1String("Hidden")) {
            entry.hidden = value == QLatin1String("true");
        }
    }
    if (!hasExec || entry.hidden)
        return std::nullopt;
    return entry;
}

std::optional<ProcessStart> FromDesktopFile(const QString &id, const QString &nativeFile)
{
    const QString fileName = FindDesktopFile(id);
    if (fileName.isEmpty())
        return std::nullopt;
    const std::optional<DesktopEntry> entry = ReadDesktopEntry(fileName);
    if (!entry)
        return std::nullopt;
    std::optional<QStringList> arguments = ExecArguments(entry->exec, nativeFile);
    if (!arguments)
        return std::nullopt;
    const QString program = ResolveProgram(arguments->takeFirst());
    if (program.isEmpty())
        return std::nullopt;
    ProcessStart start;
    start.program = program;
    start.arguments = *arguments;
    if (!entry->path.isEmpty() && QFileInfo(entry->path).isDir())
        start.workingDirectory = entry->path;
    if (entry->terminal)
        return InTerminal(start);
    return start;
}

} // namespace

bool HasDisplay()
{
    return !Environment("DISPLAY").isEmpty() || !Environment("WAYLAND_DISPLAY").isEmpty();
}

int OpenerAnswer(int exitCode)
{
    switch (exitCode) {
    case 0:
        return LaunchCode::Success;
    case 2:
        return LaunchCode::FileNotFound;
    case 3:
    case 4:
        return LaunchCode::NoAssociation;
    case LaunchCode::OutOfMemory:
    case LaunchCode::BadFormat:
    case LaunchCode::IncompleteAssociation:
    case LaunchCode::NoAssociation:
        return 0;
    default:
        return exitCode >= 1 && exitCode <= 32 ? exitCode : 0;
    }
}

std::optional<QStringList> ExecArguments(const QString &execValue, const QString &file)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;   // something (text, quotes, the file) began an argument
    bool inQuotes = false;
    bool fileUsed = false;
    const qsizetype size = execValue.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = execValue.at(i);
        if (c == QLatin1Char('%')) {
            const QChar code = i + 1 < size ? execValue.at(i + 1) : QChar();
            ++i;
            switch (code.unicode()) {
            case '%':
                current.append(QLatin1Char('%'));
                inArgument = true;
                break;
            case 'f': case 'F': case 'u': case 'U':
                current.append(file);
                inArgument = true;
                fileUsed = true;
                break;
            default:
                break;   // %i %c %k and the deprecated codes are dropped
            }
            continue;
        }
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else if (c == QLatin1Char('\\') && i + 1 < size
                       && QStringView(u"\"`$\\").contains(execValue.at(i + 1))) {
                current.append(execValue.at(++i));
            } else {
                current.append(c);
            }
            continue;
        }
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (inArgument)
                arguments.append(current);
            current.clear();
            inArgument = false;
            continue;
        }
        inArgument = true;
        if (c == QLatin1Char('"'))
            inQuotes = true;
        else
            current.append(c);
    }
    if (inQuotes)
        return std::nullopt;
    if (inArgument)
        arguments.append(current);
    if (arguments.isEmpty() || arguments.first().isEmpty())
        return std::nullopt;
    if (!fileUsed)
        arguments.append(file);
    return arguments;
}

std::optional<ProcessStart> TextEditorFor(const QString &nativeFile)
{
    for (const QString &id : DefaultTextEditorIds()) {
        if (std::optional<ProcessStart> start = FromDesktopFile(id, nativeFile))
            return start;
    }
    static const char *const editors[] = {"gnome-text-editor", "gedit", "kate", "kwrite",
                                          "mousepad", "xed", "pluma"};
    for (const char *editor : editors) {
        const QString program = FindOnPath(QLatin1String(editor));
        if (!program.isEmpty())
            return ProcessStart{program, {nativeFile}, {}, false};
    }
    return std::nullopt;
}

std::optional<ProcessStart> InTerminal(const ProcessStart &command)
{
    if (!HasDisplay())
        return std::nullopt;

    // How each terminal is told the command (the rest of its arguments as
    // they are, never one text for a shell) and the directory to start in.
    enum class Style { DashE, DoubleDash, KonsoleWorkdir, DashX };
    struct Terminal
    {
        const char *name;
        Style style;
    };
    static const Terminal terminals[] = {
        {"x-terminal-emulator", Style::DashE},
        {"gnome-terminal", Style::DoubleDash},
        {"konsole", Style::KonsoleWorkdir},
        {"xfce4-terminal", Style::DashX},
        {"mate-terminal", Style::DashX},
        {"terminator", Style::DashX},
        {"xterm", Style::DashE},
    };

    for (const Terminal &terminal : terminals) {
        const QString program = FindOnPath(QLatin1String(terminal.name));
        if (program.isEmpty())
            continue;
        const QString &dir = command.workingDirectory;
        QStringList arguments;
        switch (terminal.style) {
        case Style::DashE:
            arguments << QStringLiteral("-e");
            break;
        case Style::DoubleDash:
            if (!dir.isEmpty())
                arguments << QStringLiteral("--working-directory=") + dir;
            arguments << QStringLiteral("--");
            break;
        case Style::KonsoleWorkdir:
            if (!dir.isEmpty())
                arguments << QStringLiteral("--workdir") << dir;
            arguments << QStringLiteral("-e");
            break;
        case Style::DashX:
            if (!dir.isEmpty())
                arguments << QStringLiteral("--working-directory=") + dir;
            arguments << QStringLiteral("-x");
            break;
        }
        arguments << command.program << command.arguments;
        ProcessStart wrapped;
        wrapped.program = program;
        wrapped.arguments = arguments;
        wrapped.workingDirectory = dir;
        wrapped.ownSession = command.ownSession;
        return wrapped;
    }
    return std::nullopt;
}

} // namespace kelvarin::Desktop
