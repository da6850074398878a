#pragma once

#include "platform/Process.h"

#include <QString>
#include <QStringList>

#include <optional>

// What a Linux desktop offers a program that starts others: the opener,
// the default text editor, a terminal emulator.
namespace kelvarin::Desktop {

// True when windows can be shown (DISPLAY or WAYLAND_DISPLAY is set).
bool HasDisplay();

// The full path of an executable found on PATH, or empty.
QString FindOnPath(const QString &name);

// The extension a picked program's name gets when none is typed: on Windows
// defaultExtension without its dot (".exe" gives "exe"); elsewhere none, as
// programs have no extension and adding one would name a file that does not
// exist.
QString ProgramSuffix(const QString &defaultExtension);

// xdg-open's exit code as a launch code: 0 success (above 32), 2 "file not
// found" 2, 3 "no program" and 4 "the program failed" 31. Any other code is
// a failure whose number the error box shows as it is: 1 and 5 to 32 stay
// themselves, except 8, 11, 27 and 31, which the box would read as a known
// cause; those, codes above 32 and -1 (ended by a signal) answer 0.
int OpenerAnswer(int exitCode);

// How to start the desktop's plain-text editor on a file: the desktop file
// that `xdg-mime query default text/plain` names (its Exec line, with the
// file for %f/%F/%u/%U), then the first of gnome-text-editor, gedit, kate,
// kwrite, mousepad, xed, pluma on PATH. nullopt when none is found. Runs
// xdg-mime and waits for it: call it off the user-interface thread.
std::optional<ProcessStart> TextEditorFor(const QString &nativeFile);

// The arguments of a desktop file's Exec value (its string escapes already
// undone) by the Desktop Entry quoting rules: %f %F %u %U become the file
// (which is appended when none of them is there), %% a percent sign, other
// field codes are dropped. nullopt when the value is empty or has an
// unbalanced quote. The file is inserted as it is, never split or re-read.
std::optional<QStringList> ExecArguments(const QString &execValue, const QString &file);

// The command wrapped to run inside the desktop's terminal emulator
// (x-terminal-emulator, then the common ones), so the user sees it and can
// stop it. nullopt without a display or without a terminal.
std::optional<ProcessStart> InTerminal(const ProcessStart &command);

} // namespace kelvarin::Desktop
