#pragma once

#include <QString>
#include <QStringList>

// What both stand-ins do before anything else: write one line to the journal
// a test asked for, print the text a test scripted and, when asked, end with
// a scripted exit code. Everything is steered by environment variables so a
// test can put a stand-in in place of any program (the game, UCC, xdg-open,
// wine, a terminal, an editor) without changing the code that starts it.
namespace kelvarin::Standin {

// Environment variables read here.
constexpr const char *JournalVariable = "KELVARIN_STANDIN_JOURNAL";
constexpr const char *StdoutVariable = "KELVARIN_STANDIN_STDOUT";
constexpr const char *ExitVariable = "KELVARIN_STANDIN_EXIT";

// The journal line for one start: pid, argv[0], working directory and every
// argument, separated by tabs, ended by "\n". Fields are written as they
// are (Windows paths keep their backslashes), except that a tab, CR or LF
// inside one becomes the two characters \t, \r or \n: one start is always
// exactly one line with one field per argument.
QByteArray JournalLine(qint64 pid, int argc, char **argv, const QByteArray &workingDirectory);

// Appends the journal line when KELVARIN_STANDIN_JOURNAL names a file, with
// one write() on a file opened for appending, so that stand-ins running at
// the same time never mix their lines. Then prints KELVARIN_STANDIN_STDOUT
// (and a line end) when it is set: a reader that sees the text knows the
// journal line is there. Returns the exit code scripted by
// KELVARIN_STANDIN_EXIT, or -1 when the stand-in should carry on.
int Begin(int argc, char **argv);

// Makes sure SIGTERM ends the process with the default action even when the
// starter ignored or blocked it.
void DefaultTermination();

} // namespace kelvarin::Standin
