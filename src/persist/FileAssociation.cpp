#include "persist/FileAssociation.h"

#include "persist/RegistryKey.h"
#include "platform/EditorLine.h"
#include "platform/Errors.h"
#include "platform/WindowsCommandLine.h"

#include <algorithm>

namespace kelvarin::FileAssociation {

namespace {

const QString kFileArgument = QStringLiteral("%1");

[[noreturn]] void CannotWrite()
{
    throw KelvarinError(QStringLiteral("Unable to write to the registry."));
}

} // namespace

QString FindOpenCommandKey(Registry &registry, const QString &extension)
{
    RegistryKey reg(registry, RegRoot::ClassesRoot);
    if (!reg.OpenKey(QLatin1Char('\\') + extension, false))
        return QString();

    // The extension key names the file type; with no name the extension key
    // itself carries the verbs.
    QString typeKey = reg.ReadString(QString());
    if (!typeKey.isEmpty()) {
        reg.CloseKey();
        if (!reg.OpenKey(QLatin1Char('\\') + typeKey, false))
            return QString();
    } else {
        typeKey = extension;
    }
    reg.CloseKey();

    QString verb;
    if (reg.OpenKey(QLatin1Char('\\') + typeKey + QStringLiteral("\\shell"), false))
        verb = reg.ReadString(QString());
    if (verb.isEmpty())
        verb = QStringLiteral("open");
    reg.CloseKey();

    const QString commandKey =
        QLatin1Char('\\') + typeKey + QStringLiteral("\\shell\\") + verb + QStringLiteral("\\command");
    if (!reg.OpenKey(commandKey, false))
        return QString();
    reg.CloseKey();
    return commandKey;
}

QString ReadOpenCommand(Registry &registry, const QString &extension)
{
    const QString key = FindOpenCommandKey(registry, extension);
    if (key.isEmpty())
        return QString();
    RegistryKey reg(registry, RegRoot::ClassesRoot);
    if (!reg.OpenKey(key, false))
        return QString();
    return reg.ReadString(QString());
}

std::optional<AssociatedCommand> OpenCommandFor(Registry &registry, const QString &nativeFile, int line)
{
    // The extension is the last component's own: "My.Mod/README" has none.
    const qsizetype nameStart =
        std::max(nativeFile.lastIndexOf(QLatin1Char('/')), nativeFile.lastIndexOf(QLatin1Char('\\'))) + 1;
    const qsizetype dot = nativeFile.lastIndexOf(QLatin1Char('.'));
    if (dot < nameStart)
        return std::nullopt;

    QString command;
    try {
        command = ReadOpenCommand(registry, nativeFile.mid(dot)).trimmed();
    } catch (const KelvarinError &) {
        return std::nullopt;
    }
    if (command.isEmpty())
        return std::nullopt;

    QStringList words = WindowsCommandLine::SplitCommand(command);
    AssociatedCommand result;
    if (!words.isEmpty())
        result.program = words.takeFirst();
    // The line first: the path may hold "%2" itself.
    const bool linePlaced = EditorLine::PlaceLine(words, line);
    bool placed = false;
    for (QString &word : words) {
        if (word.contains(kFileArgument)) {
            word.replace(kFileArgument, nativeFile);
            placed = true;
        }
    }
    if (!placed)
        words.append(nativeFile);
    result.arguments = linePlaced ? words : EditorLine::WithLine(result.program, words, nativeFile, line);
    return result;
}

// `C:\Ed\ed.exe "%1"` -> `C:\Ed\ed.exe`: the quotes and blanks that lead up
// to the file argument go with it, and so does everything after it. A quote
// that closes a quoted program path stays: `"C:\Program Files\ed.exe" "%1"`
// gives `"C:\Program Files\ed.exe"`, so that adding the argument again
// gives back the command it came from instead of a broken one.
QString StripFileArgument(const QString &command)
{
    const qsizetype at = command.indexOf(kFileArgument);
    if (at < 0)
        return command;
    qsizetype end = at;
    while (end > 0 && (command[end - 1] == QLatin1Char('"') || command[end - 1] == QLatin1Char(' ')))
        --end;
    QString program = command.left(end);
    if (program.count(QLatin1Char('"')) % 2 == 1)
        program += QLatin1Char('"');
    return program;
}

QString AddFileArgument(const QString &command)
{
    return StripFileArgument(command) + QStringLiteral(" \"") + kFileArgument + QLatin1Char('"');
}

void WriteOpenCommand(Registry &registry, const QString &extension, const QString &typeName,
                      const QString &editor, const QString &programPath)
{
    const QString command = AddFileArgument(editor);
    const QString commandKey = FindOpenCommandKey(registry, extension);
    RegistryKey reg(registry, RegRoot::ClassesRoot);

    if (!commandKey.isEmpty()) {
        // An existing association keeps its type, icon and verb.
        if (!reg.OpenKey(commandKey, false))
            CannotWrite();
        reg.WriteString(QString(), command);
        return;
    }

    const QString typeKey = extension.mid(1) + QStringLiteral("file");
    const QString typeRoot = QLatin1Char('\\') + typeKey;
    const std::pair<QString, QString> keys[] = {
        {QLatin1Char('\\') + extension, typeKey},
        {typeRoot, typeName},
        {typeRoot + QStringLiteral("\\DefaultIcon"), programPath + QStringLiteral(",0")},
        {typeRoot + QStringLiteral("\\shell"), QStringLiteral("open")},
        {typeRoot + QStringLiteral("\\shell\\open"), QStringLiteral("&Open")},
        {typeRoot + QStringLiteral("\\shell\\open\\command"), command},
    };
    for (const auto &[key, value] : keys) {
        reg.CloseKey();
        if (!reg.OpenKey(key, true))
            CannotWrite();
        reg.WriteString(QString(), value);
    }
}

} // namespace kelvarin::FileAssociation
