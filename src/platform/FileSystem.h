#pragma once

#include <QString>
#include <QStringList>

namespace kelvarin::FileSystem {

enum class ListWhat { Files, Directories, Everything };

// Lists the names in the directory of specPattern whose names match its last
// component ("*.uc", "*"), case-insensitively as a Windows directory search
// does. "." and ".." are never listed. Order is the directory's own.
QStringList List(const QString &specPattern, ListWhat what);

// True when anything matches specPattern (stops at the first match).
bool AnyMatch(const QString &specPattern);

bool FileExists(const QString &specPath);
bool DirExists(const QString &specPath);
bool RemoveFile(const QString &specPath);
// Removes an empty directory; fails when it holds anything.
bool RemoveDir(const QString &specPath);
bool MakeDir(const QString &specPath);

} // namespace kelvarin::FileSystem
