#pragma once

#include "platform/Shell.h"

#include <QString>

#include <optional>

namespace kelvarin {

class Registry;

// The editor for class files lives in the shell's association for ".UC"
// files, under HKEY_CLASSES_ROOT.
namespace FileAssociation {

// Path of the key holding the open command for files with this extension
// (e.g. "\UCfile\shell\open\command"), or empty.
QString FindOpenCommandKey(Registry &registry, const QString &extension);
QString ReadOpenCommand(Registry &registry, const QString &extension);
// The command that opens nativeFile by the association stored for its
// extension, on every system: the stored command split by the Windows rules,
// every "%2" replaced by the line (1 when none is asked for), every "%1" by
// the file's path, the path appended when no argument holds "%1"; an editor
// known by name is told a line the command has no "%2" for in its own way.
// None when the file's name has no extension or no command is stored; a
// damaged association (a value of the wrong type) counts as none.
std::optional<AssociatedCommand> OpenCommandFor(Registry &registry, const QString &nativeFile, int line = 0);
QString StripFileArgument(const QString &command);
QString AddFileArgument(const QString &command);
// Rewrites the command of an existing association, or creates one (six keys).
// Raises "Unable to write to the registry." when an existing command key
// cannot be opened.
void WriteOpenCommand(Registry &registry, const QString &extension, const QString &typeName,
                      const QString &editor, const QString &programPath);

} // namespace FileAssociation
} // namespace kelvarin
