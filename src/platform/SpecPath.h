#pragma once

#include <QString>

namespace kelvarin::SpecPath {

// Paths are built the Windows way, by concatenation with backslashes from the
// base directory. ToNative turns one into a path this OS can open: on Linux
// every backslash becomes a slash and each component that does not exist as
// written is matched case-insensitively against its directory (the first match
// in byte order wins; no match keeps the name as written so it can be created).
QString ToNative(const QString &specPath);

// Forgets the directory listings kept for name matching; called after this
// program adds or removes entries.
void ForgetListings();

// The path as a user should see it in a message.
QString Display(const QString &specPath);

// True when a name read from a file or typed by a user can safely be used as
// one path component below the base directory: not empty, no separator, no
// drive, not "." or "..".
bool IsSafeComponent(const QString &name);

} // namespace kelvarin::SpecPath
