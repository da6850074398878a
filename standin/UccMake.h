#pragma once

#include <QStringList>

namespace kelvarin::Standin {

struct UccKnobs;

// "UCC make [-log=NAME] [ini=PATH]", run in the game's System directory:
// checks and packs every package of the EditPackages list (the first
// [Editor.EditorEngine] section of the ini, default UnrealTournament.ini)
// whose .u is missing, in list order, and writes the log NAME (default
// UCC.log) with CR LF lines:
//   Log: Log file open, <date and time>
//   Heading: --------------------<Package>--------------------   (each package)
//   ExecWarning: ..\P\Classes\F.uc(<line>) : Warning, <text>
//   Error: ..\P\Classes\F.uc(<line>) : Error, <text>
//   Log: Success - 0 error(s), <W> warnings      or
//   Log: Compile aborted due to errors.
// A package with errors gets no .u and ends the run with exit status 1.
// Every log line is also printed on standard output, as UCC does.
int RunMake(const QStringList &arguments, const UccKnobs &knobs);

} // namespace kelvarin::Standin
