#include "tools/CompilerLog.h"

#include "platform/SpecPath.h"
#include "platform/TextFile.h"

namespace kelvarin {

namespace {

const QLatin1String kOpenPrefix("Log: Log file open, ");
const QLatin1String kHeading("Heading: ");
const QLatin1String kWarning("ExecWarning: ");
const QLatin1String kError("Error: ");

} // namespace

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
    if (note.isEmpty())
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

CompilerLog::View CompilerLog::LoadLog(const QString &baseDir, bool parsed)
{
    View view;
    m_path = LogPath(baseDir);
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
        m_errorsFound = false;
        return view;
    }
    if (parsed) {
        view.lines = Parse(lines, &m_errorsFound);
    } else {
        view.lines = lines;
        m_errorsFound = HasErrorLine(lines);
    }
    return view;
}

} // namespace kelvarin
