#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kelvarin {

// The log that UCC's make writes for a compile (System\KelvarinCompiler.log)
// and its parsed view: the start time, one line per package heading, the
// warnings and the errors, and a closing verdict. The compile log window and
// kelvarin-cli both read it through here.
class CompilerLog
{
public:
    static constexpr const char *FileName = "KelvarinCompiler.log";
    static constexpr const char *NoteFileName = "KelvarinCompiler.note";
    static constexpr const char *NoLogLine = "No log";
    static constexpr const char *SuccessLine = "Compilation successfull!";
    static constexpr const char *ErrorsLine = "Compilation stopped due to errors.";

    // BaseDir + "\System\KelvarinCompiler.log".
    static QString LogPath(const QString &baseDir);

    // The lines of the parsed view of a log's lines (the first line is the
    // "Log: Log file open, " line, whatever it holds); *errorsFound tells
    // whether any line starts with "Error: ". Lines with no line at all are
    // the caller's case ("No log").
    static QStringList Parse(const QStringList &lines, bool *errorsFound = nullptr);
    // A parsed view with a note that the log cannot tell (a compile that left
    // no package): the note takes the success line's place, or ends the view
    // (a view that ends in the note already stays as it is).
    static QStringList WithNote(QStringList parsed, const QString &note);

    // The note of the compile that wrote the log, kept beside it (BaseDir +
    // "\System\KelvarinCompiler.note") so that a later view of the log, in
    // another run of the program too, says what the compile said. The note
    // belongs to the log as it is now (its size and time, or its absence):
    // a log written since has none. An empty note forgets any.
    static void RememberNote(const QString &baseDir, const QString &note);
    static QString RememberedNote(const QString &baseDir);
    // True when a line of the log, after the first, starts with "Error: ".
    static bool HasErrorLine(const QStringList &lines);
    // True when a line of a parsed view is a warning.
    static bool HasWarningLine(const QStringList &parsed);

    // The source file and line that an error or warning line names
    // ("Error: ..\MyMod\Classes\A.uc(12) : Error, ...", or with the game's
    // own path in front, as UCC writes it on the machine it runs on): the
    // file is taken in the game directory, BaseDir + "\" + package +
    // "\Classes\" + file. Nothing for any other line, or for a path that
    // names no package's Classes folder.
    struct SourceLine
    {
        QString path;
        int line = 0;
    };
    static std::optional<SourceLine> SourceOf(const QString &logLine, const QString &baseDir);

    // What LoadLog shows.
    struct View
    {
        bool opened = false;       // false: the file could not be read
        QString errorText;         // "Cannot open file <path>" when not opened
        QStringList lines;         // the shown lines ("No log" for an empty file)
        bool empty = false;        // the file has no lines
    };

    // Reads the log as bytes of the 8-bit code page (a byte-order mark is
    // honoured) and gives the parsed or raw view. The raw view is the file's
    // text unchanged, split into lines only for showing. ErrorsFound is
    // computed from the file in either view, so the verdict never depends
    // on how the window happens to show the log; a file that cannot be read
    // leaves it as it was; an empty one, or none at all (no compile has run
    // yet), shows "No log" and clears it. The note of the compile that wrote
    // the log (RememberedNote) ends the parsed view, and counts as an error
    // in either view: that compile failed.
    View LoadLog(const QString &baseDir, bool parsed);

    bool ErrorsFound() const { return m_errorsFound; }
    QString Path() const { return m_path; }

private:
    QString m_path;
    bool m_errorsFound = false;
};

} // namespace kelvarin
