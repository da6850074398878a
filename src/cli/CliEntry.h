#pragma once

// kelvarin-cli is a small front (main.cpp) that answers a bare --help or
// --version itself and hands every other command line to the rest of the
// program, a shared library with Qt in it (CliEntry.cpp): starting the front
// costs no Qt. Plain C++: the front includes this too.

#if defined(_WIN32)
#define KELVARIN_CLI_EXPORT __declspec(dllexport)
#else
#define KELVARIN_CLI_EXPORT __attribute__((visibility("default")))
#endif

namespace kelvarin {

// The name the library exports its entry under.
inline constexpr char kCliEntryName[] = "kelvarin_cli_run";

} // namespace kelvarin

// kelvarin-cli's main: the front's arguments as it got them, the exit code.
extern "C" KELVARIN_CLI_EXPORT int kelvarin_cli_run(int argc, char **argv);
