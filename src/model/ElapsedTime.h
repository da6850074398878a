#pragma once

#include <QLocale>
#include <QString>
#include <QTime>

namespace kelvarin {

// A time format without its time-zone part: every unquoted 't' and the
// blanks around it go ("h:mm:ss AP t" → "h:mm:ss AP").
QString WithoutTimeZone(const QString &timeFormat);

// An elapsed time shown like a time of day in the given format (its time
// zone removed); a negative span counts by its size, a day or more wraps.
QString FormatElapsed(qint64 msecs, const QString &timeFormat);
// The same in the locale's long time format.
QString FormatElapsed(qint64 msecs, const QLocale &locale = QLocale());

// "<prefix><elapsed>  <N> classes loaded", the start-up and load reports:
// the elapsed time is the difference of two times of day.
QString ClassesLoadedReport(const QString &prefix, const QTime &start, const QTime &end,
                            int classes);

} // namespace kelvarin
