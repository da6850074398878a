#pragma once

#include <QByteArray>
#include <QString>

namespace kelvarin {

class ClassModel;
class PackageFile;

// Where a class's source text comes from: its file in the package's Classes
// directory, or, for a class read from a compiled package, the text buffer
// the package keeps for it.
namespace ClassSource {

// base directory + "\" + package + "\Classes\" + class + ".uc"
QString SourcePath(const QString &baseDir, const QString &package, const QString &className);

// The source text the compiled package keeps for the class. Raises
// KelvarinError naming the file when the package has no such class, keeps
// no source for it, or its text is damaged.
QString CompiledText(const PackageFile &package, const QString &className);
// The same from the package's compiled file (ClassModel::CompiledPackagePath).
QString CompiledText(const ClassModel &model, const QString &package, const QString &className);

// The text of a bound class: from the compiled package when the model marks
// the class compiled, from its source file otherwise (decoded as sources
// are). Raises KelvarinError when the class is bound to no package or its
// text cannot be read.
QString Text(ClassModel &model, const QString &className);

// The bytes of a copy of a text: Latin-1, one byte per character, when every
// character fits (as the game's own 8-bit sources are), UTF-16LE with its
// byte-order mark otherwise, so no character is lost.
QByteArray CopyBytes(const QString &text);

} // namespace ClassSource
} // namespace kelvarin
