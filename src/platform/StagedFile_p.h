#pragma once

// Shared by StagedFile's implementations for each operating system.

#include <QString>

namespace kelvarin::Detail {

// "<target>.kelvarin-<8 hex digits>": never matched by the "*.uc", "*.int"
// or ".Kelvar" lookups, so a left-over one (the process was killed) is
// never taken for a file of the game.
QString TemporaryName(const QString &target);

} // namespace kelvarin::Detail
