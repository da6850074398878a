#pragma once

// Shared by Desktop's implementations for each operating system.

#include <QString>

namespace kelvarin::Desktop::Detail {

// A regular file this user may run.
bool IsExecutableFile(const QString &path);

} // namespace kelvarin::Desktop::Detail
