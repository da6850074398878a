#pragma once

#include "KelvarinVersion.h"

#include <QString>
#include <QStringList>

namespace kelvarin {

// The command line of the kelvarin program: nothing, one file to open (a
// browser state or a class source), --help, --version, or a usage error.
// Options of Qt's own (-platform NAME, -style NAME, ...) are passed over, as
// QApplication reads them itself.
class ProgramArguments
{
public:
    static constexpr const char *Version = KELVARIN_VERSION;
    static constexpr const char *ProgramName = "kelvarin";

    enum class Action { Run, Help, Version, UsageError };
    // What a file given on the command line is opened as.
    enum class FileKind { None, State, Class, Unknown };

    // arguments: the command line without the program's own name.
    // workingDir: the directory relative file names are taken from.
    static ProgramArguments Parse(const QStringList &arguments, const QString &workingDir);

    // ".Kelvar" at the end (any case), or anywhere in the name as the state
    // loader takes it: a state; ".uc" at the end (any case): a class; an empty
    // name: none; anything else: unknown.
    static FileKind KindOf(const QString &fileName);
    // The class a source file defines: its name without the ".uc".
    static QString ClassNameOf(const QString &fileName);
    // The absolute, cleaned form of a file name given relative to workingDir;
    // a file: URL is taken as the local file it names.
    static QString AbsoluteFile(const QString &fileName, const QString &workingDir);

    // "Kelvarin " and the version
    static QString VersionText();
    static QString Usage();

    Action action = Action::Run;
    FileKind fileKind = FileKind::None;
    // Absolute; empty when no file was given.
    QString file;
    // Why the command line was refused (UsageError), or why the given file is
    // not opened (FileKind::Unknown); empty otherwise.
    QString message;
};

} // namespace kelvarin
