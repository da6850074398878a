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
struct SyntheticGameShape
{
    int packages = 20;
    int classesPerPackage = 100;
    unsigned seed = 1999;
};

// Returns the number of classes written.
int WriteSyntheticGame(const QString &nativeDir, const SyntheticGameShape &shape);

// The benchmarks' common arguments, "[packages] [classes-per-package]
// [directory]": writes the game there, or into temp without a directory;
// "0 0 DIRECTORY" takes the game that is there (classes counts its sources).
// Answers the directory; shape and classes receive what was written.
QString WriteGameFromArguments(const QStringList &args, QTemporaryDir &temp, SyntheticGameShape &shape,
                               int &classes);

} // namespace kelvarin::bench
