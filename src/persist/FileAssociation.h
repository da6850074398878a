#pragma once

#include <QString>

namespace kelvarin {

class Registry;

// The editor for class files lives in the shell's association for ".UC"
// files, under HKEY_CLASSES_ROOT.
namespace FileAssociation {

// Path of the key holding the open command for files with this extension
// (e.g. "\UCfile\shell\open\command"), or empty.
QString FindOpenCommandKey(Registry &registry, const QString &extension);
QString ReadOpenCommand(Registry &registry, const QString &extension);
QString StripFileArgument(const QString &command);
QString AddFileArgument(const QString &command);
// Rewrites the command of an existing association, or creates one (six keys).
// Raises "Unable to write to the registry." when an existing command key
// cannot be opened.
void WriteOpenCommand(Registry &registry, const QString &extension, const QString &typeName,
                      const QString &editor, const QString &programPath);

} // namespace FileAssociation
} // namespace kelvarin
