#pragma once

#include <QString>
#include <QTime>

namespace kelvarin {

// The elapsed time between two times of day (their absolute difference),
// written like a time of day in the user's long time format without its
// time-zone part: three seconds read 0:00:03 under H:mm:ss.
QString FormatElapsed(const QTime &start, const QTime &end);

// "<prefix><elapsed>  <N> classes loaded", the start-up and load reports.
QString ClassesLoadedReport(const QString &prefix, const QTime &start, const QTime &end,
                            int classes);

} // namespace kelvarin
