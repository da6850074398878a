#pragma once

#include <QString>
#include <QStringList>

namespace kelvarin::EditorLine {

// How an editor is told the line to show, known by its program's name
// (without folder and ".exe", letter case ignored).
enum class Style
{
    None,          // not known: the file opens at its top
    PlusLine,      // "+N" before the file: gedit, gnome-text-editor, kate,
                   // kwrite, mousepad, xed, pluma, vim, emacs, nano
    GotoFileLine,  // "-g FILE:N" in place of the file: code
};
Style StyleOf(const QString &program);

// Replaces "%2" in every word by the line (1 when no line is asked for, so
// a stored command always gets a number); true when any word held it.
bool PlaceLine(QStringList &words, int line);

// The program's arguments with the line added the way the program takes
// it; file is the argument that names the file. Unchanged for line 0, for
// an editor of unknown style, and when the file is not an argument of its
// own.
QStringList WithLine(const QString &program, const QStringList &arguments, const QString &file, int line);

} // namespace kelvarin::EditorLine
