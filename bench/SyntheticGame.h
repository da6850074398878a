#pragma once

#include <QString>

namespace kelvarin::bench {

// Writes a synthetic game directory: packages × classes per package, each
// class a realistic source file (header comment, declaration, body), with
// hierarchies 4 to 10 levels deep and many classes per parent, plus an
// UnrealTournament.ini whose EditPackages list names every package in
// dependency order. Deterministic for a given seed.
struct SyntheticGameShape
{
    int packages = 20;
    int classesPerPackage = 100;
    unsigned seed = 1999;
};

// Returns the number of classes written.
int WriteSyntheticGame(const QString &nativeDir, const SyntheticGameShape &shape);

} // namespace kelvarin::bench
