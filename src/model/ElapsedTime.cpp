#include "model/ElapsedTime.h"

#include <QLocale>
#include <QRegularExpression>

#include <cstdlib>

namespace kelvarin {

QString FormatElapsed(const QTime &start, const QTime &end)
{
    const int elapsed = std::abs(end.msecsSinceStartOfDay() - start.msecsSinceStartOfDay());
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    // Drop the time-zone part ("t", "tt", "ttt"...) and the blanks around it.
    static const QRegularExpression zone(QStringLiteral("\\s*t+\\s*"));
    format.replace(zone, QStringLiteral(" "));
    format = format.trimmed();
    if (format.isEmpty())
        format = QStringLiteral("H:mm:ss");
    return QTime::fromMSecsSinceStartOfDay(elapsed).toString(format);
}

QString ClassesLoadedReport(const QString &prefix, const QTime &start, const QTime &end,
                            int classes)
{
    return prefix + FormatElapsed(start, end) + QLatin1String("  ") + QString::number(classes)
        + QLatin1String(" classes loaded");
}

} // namespace kelvarin
