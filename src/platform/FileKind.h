#pragma once

#include <QString>

namespace kelvarin::FileKind {

// True when specPath names a regular file (after symbolic links): not a
// directory, pipe, device or socket, and not a link that leads nowhere.
bool IsRegularFile(const QString &specPath);

} // namespace kelvarin::FileKind
