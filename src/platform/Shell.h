#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace kelvarin {

// One request to the shell, as ShellExecute takes it.
struct ShellRequest
{
    QString verb;          // "open" or "Explore"
    QString file;          // a game path (BaseDir + "\...")
    QString parameters;    // one text, split by the Windows rules
    QString directory;     // a game path; empty: this program's own
    bool shown = true;
    // "open" of a document: the line to show, 0 for none. Editors that are
    // known to take a line get it (EditorLine.h); a stored command may hold
    // "%2" for it.
    int line = 0;
};

// What the association stored for a document's extension runs to open it:
// the program as the association names it (a bare name, a path) and its
// arguments with the document's path in place. An empty program is an
// association whose command names none.
struct AssociatedCommand
{
    QString program;
    QStringList arguments;

    bool operator==(const AssociatedCommand &) const = default;
};

// Answers the associated command for a document given by its native path,
// to show it at line (0: none), or none when nothing usable is stored for
// its extension.
using AssociationLookup = std::function<std::optional<AssociatedCommand>(const QString &nativeFile, int line)>;

// The answer: above 32 success, otherwise a launch code (LaunchCodes.h).
// missing names the program that could not be found when that, not the
// file asked for, is what failed (the editor stored for ".uc" files is
// gone); it is empty otherwise.
using ShellAnswer = std::function<void(int code, const QString &missing)>;

// Opens documents and folders and starts programs the way the Windows shell
// does. Answers always arrive later, through the event loop of the thread
// that asked (never from inside the call), because off Windows an answer may
// need a helper program to finish. Nothing is ever passed through a command
// interpreter.
class Shell
{
public:
    virtual ~Shell() = default;

    // "open" of a program runs it (the game's programs as GamePrograms
    // decides); "open" of a document uses the association stored for its
    // extension, then the desktop's opener; "Explore" opens a folder in the
    // file manager. answer may be empty.
    virtual void Open(const ShellRequest &request, ShellAnswer answer) = 0;

    // The plain-text editor every system has (Notepad on Windows; elsewhere
    // the desktop's default text editor, then a well-known one on PATH).
    // line: the line to show, 0 for none.
    virtual void OpenInTextEditor(const QString &specFile, ShellAnswer answer, int line = 0) = 0;
};

} // namespace kelvarin
