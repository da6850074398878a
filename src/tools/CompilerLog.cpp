#include "tools/CompilerLog.h"

#include "platform/FileSystem.h"
#include "platform/SpecPath.h"
#include "platform/TextFile.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace kelvarin {

namespace {

const QLatin1String kOpenPrefix("Log: Log file open, ");
const QLatin1String kHeading("Heading: ");
const QLatin1String kWarning("ExecWarning: ");
const QLatin1String kError("Error: ");

// What tells one log from the next: its size and time, "none" without one.
QString LogIdentity(const QString &baseDir)
{
    const QFileInfo log(SpecPath::ToNative(CompilerLog::LogPath(baseDir)));
    if (!log.isFile())
        return QStringLiteral("none");
    return QString::number(log.size()) + QLatin1Char(' ')
        + QString::number(log.lastModified().toMSecsSinceEpoch());
}

QString NotePath(const QString &baseDir)
{
    return baseDir + QLatin1String("\\System\\") + QLatin1String(CompilerLog::NoteFileName);
}

} // namespace

void CompilerLog::RememberNote(const QString &baseDir, const QString &note)
{
    const QString path = NotePath(baseDir);
    if (note.isEmpty()) {
        if (FileSystem::FileExists(path))
            FileSystem::RemoveFile(path);
        return;
    }
    // Not worth a message when it cannot be kept: the compile itself has
    // shown the note already.
    TextFile::WriteLines(path, {LogIdentity(baseDir), note});
}

QString CompilerLog::RememberedNote(const QString &baseDir)
{
    const QString path = NotePath(baseDir);
    if (!FileSystem::FileExists(path))
        return QString();
    const std::optional<QString> text = TextFile::ReadAll(path);
    if (!text)
        return QString();
    const QStringList lines = TextFile::SplitLines(*text);
    if (lines.size() != 2 || lines.first() != LogIdentity(baseDir))
        return QString();
    return lines.at(1);
}

QString CompilerLog::LogPath(const QString &baseDir)
{
    return baseDir + QLatin1String("\\System\\") + QLatin1String(FileName);
}

QStringList CompilerLog::Parse(const QStringList &lines, bool *errorsFound)
{
    QStringList shown;
    bool errors = false;
    if (!lines.isEmpty()) {
        // The first line is taken as the open line without looking at it.
        shown.append(QStringLiteral("Compilation started at: ") + lines.first().mid(kOpenPrefix.size()));
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QString &line = lines.at(i);
            if (line.startsWith(kHeading)) {
                shown.append(line.mid(kHeading.size()));
            } else if (line.startsWith(kWarning)) {
                shown.append(line);
            } else if (line.startsWith(kError)) {
                shown.append(line);
                errors = true;
            }
        }
        shown.append(QLatin1String(errors ? ErrorsLine : SuccessLine));
    }
    if (errorsFound)
        *errorsFound = errors;
    return shown;
}

QStringList CompilerLog::WithNote(QStringList parsed, const QString &note)
{
    if (note.isEmpty() || (!parsed.isEmpty() && parsed.last() == note))
        return parsed;
    if (!parsed.isEmpty() && parsed.last() == QLatin1String(SuccessLine))
        parsed.last() = note;
    else
        parsed.append(note);
    return parsed;
}

bool CompilerLog::HasErrorLine(const QStringList &lines)
{
    for (qsizetype i = 1; i < lines.size(); ++i)
        if (lines.at(i).startsWith(kError))
            return true;
    return false;
}

bool CompilerLog::HasWarningLine(const QStringList &parsed)
{
    for (const QString &line : parsed)
        if (line.startsWith(kWarning))
            return true;
    return false;
}

std::optional<CompilerLog::SourceLine> CompilerLog::SourceOf(const QString &logLine, const QString &baseDir)
{
    QString rest;
    for (const QLatin1String prefix : {kError, kWarning, QLatin1String("Warning: ")}) {
        if (logLine.startsWith(prefix)) {
            rest = logLine.mid(prefix.size());
            break;
        }
    }
    static const QRegularExpression located(QStringLiteral("^(.+\\.uc)\\(([0-9]{1,9})\\)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = located.match(rest);
    if (!match.hasMatch())
        return std::nullopt;
    const QStringList parts = match.captured(1).split(QRegularExpression(QStringLiteral("[\\\\/]")));
    if (parts.size() < 3)
        return std::nullopt;
    const QString &file = parts.at(parts.size() - 1);
    const QString &classes = parts.at(parts.size() - 2);
    const QString &package = parts.at(parts.size() - 3);
    if (classes.compare(QLatin1String("Classes"), Qt::CaseInsensitive) != 0 || !SpecPath::IsSafeComponent(package)
        || !SpecPath::IsSafeComponent(file))
        return std::nullopt;
    const int line = match.captured(2).toInt();
    if (line <= 0)
        return std::nullopt;
    return SourceLine{baseDir + QLatin1Char('\\') + package + QLatin1String("\\Classes\\") + file, line};
}

CompilerLog::View CompilerLog::LoadLog(const QString &baseDir, bool parsed)
{
    View view;
    m_path = LogPath(baseDir);
    // Before the first compile there is no log: that is no error.
    const QString note = RememberedNote(baseDir);
    if (!FileSystem::FileExists(m_path) && !FileSystem::DirExists(m_path)) {
        view.opened = true;
        view.empty = true;
        view.lines = QStringList{QLatin1String(NoLogLine)};
        if (parsed)
            view.lines = WithNote(view.lines, note);
        m_errorsFound = !note.isEmpty();
        return view;
    }
    const std::optional<QString> text = TextFile::ReadAll(m_path);
    if (!text) {
        view.errorText = QStringLiteral("Cannot open file %1").arg(SpecPath::Display(m_path));
        return view;
    }
    view.opened = true;
    const QStringList lines = TextFile::SplitLines(*text);
    if (lines.isEmpty()) {
        view.empty = true;
        view.lines = QStringList{QLatin1String(NoLogLine)};
        if (parsed)
            view.lines = WithNote(view.lines, note);
        m_errorsFound = !note.isEmpty();
        return view;
    }
    if (parsed) {
        view.lines = WithNote(Parse(lines, &m_errorsFound), note);
    } else {
        view.lines = lines;
        m_errorsFound = HasErrorLine(lines);
    }
    m_errorsFound = m_errorsFound || !note.isEmpty();
    return view;
}

} // namespace kelvarin
