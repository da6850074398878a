#pragma once

// Shared by FileSystem's implementations for each operating system.

#include "platform/FileSystem.h"

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

// The listing of split's directory before its entries are read: the native
// directory, ending with a separator.
Listing StartListing(const SplitPattern &split);

} // namespace kelvarin::FileSystem::Detail
