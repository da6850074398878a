#pragma once

#include <QString>
#include <QStringList>

class QTemporaryDir;

namespace kelvarin::bench {

// Writes a synthetic game directory: packages × classes per package, each
// class a realistic source file (header comment, declaration, body), with
// hierarchies 4 to 10 levels deep and many classes per parent, plus an
// UnrealTournament.ini whose EditPackages list names every package in
// dependency order. Deterministic for a given seed.
//
// gameShaped writes sources shaped like the game's own instead: a comment
// header of 5 to 40 lines (short in 9 files of 10, so the class line is
// within the first 210 bytes), sizes spread as the stock sources are (median
// about 1.2 KB, mean about 3.4 KB), `#exec` lines, long defaultproperties
// blocks, some Latin-1 bytes, file names not always in the class's case,
// and deeper chains: a class extends a recent one of its own package more
// often than not, so hierarchies reach 20 and more levels.
struct SyntheticGameShape
{
    int packages = 20;
    int classesPerPackage = 100;
    unsigned seed = 1999;
    bool gameShaped = false;
};

// Returns the number of classes written.
int WriteSyntheticGame(const QString &nativeDir, const SyntheticGameShape &shape);

// The benchmarks' common arguments, "[--game-shaped] [packages]
// [classes-per-package] [directory]": writes the game there, or into temp
// without a directory; "0 0 DIRECTORY" takes the game that is there (classes
// counts its sources). --game-shaped may stand anywhere among them.
// Answers the directory; shape and classes receive what was written.
QString WriteGameFromArguments(const QStringList &args, QTemporaryDir &temp, SyntheticGameShape &shape,
                               int &classes);

} // namespace kelvarin::bench
