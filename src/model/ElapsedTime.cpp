#include "model/ElapsedTime.h"

#include <QTime>

namespace kelvarin {

QString WithoutTimeZone(const QString &timeFormat)
{
    QString result;
    bool quoted = false;
    bool droppedZone = false;
    for (qsizetype i = 0; i < timeFormat.size(); ++i) {
        const QChar c = timeFormat[i];
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            result += c;
            continue;
        }
        if (!quoted && c == QLatin1Char('t')) {
            // Blanks before the zone go with it.
            while (result.endsWith(QLatin1Char(' ')))
                result.chop(1);
            droppedZone = true;
            continue;
        }
        if (droppedZone && c == QLatin1Char(' ')) {
            // Blanks after the zone go as well; a blank still separates what
            // stood on both sides of it.
            continue;
        }
        if (droppedZone && !result.isEmpty())
            result += QLatin1Char(' ');
        droppedZone = false;
        result += c;
    }
    return result;
}

QString FormatElapsed(qint64 msecs, const QString &timeFormat)
{
    constexpr qint64 day = 24LL * 60 * 60 * 1000;
    const qint64 rest = msecs % day;
    const qint64 span = rest < 0 ? -rest : rest;
    return QTime(0, 0).addMSecs(int(span)).toString(WithoutTimeZone(timeFormat));
}

QString FormatElapsed(qint64 msecs, const QLocale &locale)
{
    return FormatElapsed(msecs, locale.timeFormat(QLocale::LongFormat));
}

QString ClassesLoadedReport(const QString &prefix, const QTime &start, const QTime &end,
                            int classes)
{
    return prefix + FormatElapsed(qint64(end.msecsSinceStartOfDay()) - start.msecsSinceStartOfDay())
        + QLatin1String("  ") + QString::number(classes) + QLatin1String(" classes loaded");
}

} // namespace kelvarin
