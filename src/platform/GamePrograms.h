#pragma once

#include "platform/Process.h"

#include <QString>
#include <QStringList>

namespace kelvarin {

// How the game's programs (UnrealTournament.exe and UCC.exe in BaseDir's
// System directory) are started on this machine; the one place that decides.
struct GameLaunch
{
    enum class How {
        Native,    // a Linux build of the game (ut-bin, ucc-bin, ...)
        Wine,      // a Windows executable through wine
        Direct,    // the file itself, run as it is
        Terminal,  // one of the above, inside a terminal emulator
        Failed     // cannot be started: errorCode says why
    };
    How how = How::Failed;
    // Before wrapping in a terminal: Native, Wine or Direct.
    How inner = How::Failed;
    // A launch code (LaunchCodes.h) when how is Failed: 2 not found, 31 a
    // Windows program and no wine, ...
    int errorCode = 0;
    ProcessStart start;
};

namespace GamePrograms {

enum class Program { None, Game, Ucc };

// Which of the game's programs a file name stands for, ignoring case:
// "UnrealTournament.exe" the game, "UCC.exe" the tool, anything else None.
Program Identify(const QString &fileName);

// Decides how the program at specProgram (a game path, e.g. BaseDir +
// "\System\UnrealTournament.exe") is started with the parameter text params
// (split by the Windows rules) in specWorkingDir. On Linux, in this order:
// for the game's own programs a native Linux build that can run on this host
// (System/ut-bin, ucc-bin and their -x86/-amd64/-arm64 variants, System64 and
// SystemARM64 beside System; chosen by the host's architecture and the file's
// ELF class and machine; run in its own directory); a file that starts with
// "MZ" through wine when wine is on PATH (otherwise Failed with 31); any
// other file run directly. A missing file is Failed with 2. showConsole: a
// console program (UCC) asked to be shown runs inside the desktop's terminal
// emulator when there is a display and a terminal.
GameLaunch Plan(const QString &specProgram, const QString &params, const QString &specWorkingDir,
                bool showConsole = false);

// True when BaseDir holds a native Linux build of the game.
bool IsNativeBuild(const QString &baseDir);

// Where a native build keeps the user's own copy of its System directory
// (UnrealTournament.ini, the log, packages it writes): ~/.utpg/System
// (version 469), then ~/.loki/ut/System (older builds), as native paths.
// Empty without a home directory, and on Windows.
QStringList UserSystemDirs();

// A file of the game's System directory as the user edits it: native builds
// keep their own copy of UnrealTournament.ini and the log in ~/.utpg/System
// (version 469) or ~/.loki/ut/System (older builds); when the game is a
// native build and that copy exists, its native path is the answer;
// otherwise the game path BaseDir + "\System\" + fileName.
QString UserFile(const QString &baseDir, const QString &fileName);

} // namespace GamePrograms
} // namespace kelvarin
