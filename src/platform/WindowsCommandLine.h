#pragma once

#include <QString>
#include <QStringList>

// Command lines are one text on Windows; the program splits them itself.
// Every parameter text this program builds or stores ("server ctf-face", an
// editor's association "C:\Ed\ed.exe" "%1") is split here by the rules of
// the Windows C runtime, never by a command interpreter.
namespace kelvarin::WindowsCommandLine {

// Splits a parameter text into arguments: blanks and tabs separate; double
// quotes group (and are dropped); 2n backslashes before a quote give n
// backslashes and the quote acts; 2n+1 backslashes before a quote give n
// backslashes and a literal quote; backslashes elsewhere are literal; inside
// quotes a doubled quote "" gives one literal quote.
QStringList SplitArguments(const QString &parameters);

// Splits a whole command line whose first word names the program. The
// program name follows its own rule: a leading quote runs to the next quote
// (backslashes are path separators there), otherwise the name runs to the
// first blank or tab. The rest is split by SplitArguments.
QStringList SplitCommand(const QString &commandLine);

// Joins arguments into one parameter text that SplitArguments turns back
// into the same list (quoting only where needed).
QString Join(const QStringList &arguments);

} // namespace kelvarin::WindowsCommandLine
