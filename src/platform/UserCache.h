#pragma once

#include <QByteArray>
#include <QString>

namespace kelvarin::UserCache {

// The program's directory in the user's cache: $XDG_CACHE_HOME/Kelvarin when
// that variable holds an absolute path, ~/.cache/Kelvarin otherwise (the
// local application data's cache on Windows). A native path; it may not
// exist yet.
QString Directory();

// Writes bytes to Directory()/<folder>/<fileName> through a temporary file
// made read-only and then renamed into place (an earlier copy, read-only or
// not, is replaced), so the copy is never writable where it lies. Both names must be single safe components.
// Returns the file's native path; raises KelvarinError naming the path when
// the directory cannot be made or the file cannot be written.
QString WriteReadOnlyCopy(const QString &folder, const QString &fileName, const QByteArray &bytes);

} // namespace kelvarin::UserCache
