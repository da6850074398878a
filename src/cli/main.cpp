// kelvarin-cli's front: answers a bare --help or --version at once and hands
// every other command line, unchanged, to the rest of the program in its
// shared library. It links no Qt, so those two answers cost a process start
// and no more.

#include "KelvarinVersion.h"
#include "cli/CliEntry.h"
#include "cli/CliUsage.h"
#include "platform/ProgramLibrary.h"

#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    if (argc == 2) {
        const char *arg = argv[1];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            std::fputs(kelvarin::kCliUsage, stdout);
            return 0;
        }
        if (std::strcmp(arg, "--version") == 0 || std::strcmp(arg, "-V") == 0) {
            std::printf("%s\n", kelvarin::kVersionText);
            return 0;
        }
    }
    // KELVARIN_CLI_LIBRARY and KELVARIN_CLI_LIBRARY_FOLDER come from src/CMakeLists.txt.
    char why[4096];
    const kelvarin::ProgramEntry run = kelvarin::LoadProgramEntry(
        KELVARIN_CLI_LIBRARY, KELVARIN_CLI_LIBRARY_FOLDER, kelvarin::kCliEntryName, why, sizeof why);
    if (!run) {
        std::fprintf(stderr, "kelvarin-cli: %s\n", why);
        return 2;
    }
    return run(argc, argv);
}
