#pragma once

#include <cstddef>

// Plain C++, no Qt: kelvarin-cli's front loads the rest of the program with
// it, and links nothing else of the program.

namespace kelvarin {

// The main function of a program kept in a shared library.
using ProgramEntry = int (*)(int argc, char **argv);

// Loads the shared library fileName from the running program's own folder
// or, when it is not there, from installedFolder (relative to that folder),
// its functions bound on first call, and answers its function entryName. The
// program's folder comes from the system, not from argv[0]. The library is
// never unloaded: it holds the rest of the program until the process ends.
// On failure answers null and writes "cannot load PATH: REASON" into why
// (UTF-8, cut to whySize bytes).
ProgramEntry LoadProgramEntry(const char *fileName, const char *installedFolder, const char *entryName,
                              char *why, std::size_t whySize);

} // namespace kelvarin
