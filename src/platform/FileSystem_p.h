#pragma once

// Shared by FileSystem's implementations for each operating system.

#include <QString>
#include <QStringView>

namespace kelvarin::FileSystem::Detail {

struct SplitPattern
{
    QString dir;      // native directory
    QString pattern;  // wildcard of the last component
};

// A game-relative pattern ("...\Classes\*.uc") as a native directory and the
// wildcard of its last component.
SplitPattern Split(const QString &specPattern);

// Windows wildcards: "*" any run, "?" any one character, everything else
// itself, letters in any case.
bool WildcardMatch(QStringView name, QStringView pattern);

} // namespace kelvarin::FileSystem::Detail
