#pragma once

// Shared by UserCache's implementations for each operating system.

#include <QString>

namespace kelvarin::UserCache::Detail {

// Makes an existing read-only copy at path one that a rename may replace
// (Windows refuses to rename over a read-only file; elsewhere only the
// directory's permissions matter).
void AllowReplacing(const QString &path);

} // namespace kelvarin::UserCache::Detail
