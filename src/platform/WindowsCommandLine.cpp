#include "platform/WindowsCommandLine.h"

namespace kelvarin::WindowsCommandLine {

namespace {

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace

QStringList SplitArguments(const QString &parameters)
{
    QStringList arguments;
    const qsizetype size = parameters.size();
    qsizetype at = 0;
    while (true) {
        while (at < size && IsBlank(parameters.at(at)))
            ++at;
        if (at >= size)
            break;

        // One argument: runs to a blank outside quotes or to the end.
        QString argument;
        bool inQuotes = false;
        while (at < size) {
            qsizetype backslashes = 0;
            while (at < size && parameters.at(at) == QLatin1Char('\\')) {
                ++backslashes;
                ++at;
            }
            if (at < size && parameters.at(at) == QLatin1Char('"')) {
                argument.append(QString(backslashes / 2, QLatin1Char('\\')));
                if (backslashes % 2 == 1) {
                    argument.append(QLatin1Char('"'));        // \" is a literal quote
                } else if (inQuotes && at + 1 < size && parameters.at(at + 1) == QLatin1Char('"')) {
                    argument.append(QLatin1Char('"'));        // "" inside quotes
                    ++at;
                } else {
                    inQuotes = !inQuotes;
                }
                ++at;
                continue;
            }
            argument.append(QString(backslashes, QLatin1Char('\\')));
            if (at >= size || (!inQuotes && IsBlank(parameters.at(at))))
                break;
            argument.append(parameters.at(at));
            ++at;
        }
        arguments.append(argument);
    }
    return arguments;
}

QStringList SplitCommand(const QString &commandLine)
{
    const qsizetype size = commandLine.size();
    qsizetype at = 0;
    while (at < size && IsBlank(commandLine.at(at)))
        ++at;
    if (at >= size)
        return {};

    QString program;
    if (commandLine.at(at) == QLatin1Char('"')) {
        // A quoted program name runs to the next quote, backslashes and all;
        // without a closing quote it runs to the end.
        const qsizetype close = commandLine.indexOf(QLatin1Char('"'), at + 1);
        const qsizetype end = close < 0 ? size : close;
        program = commandLine.mid(at + 1, end - at - 1);
        at = close < 0 ? size : close + 1;
    } else {
        const qsizetype start = at;
        while (at < size && !IsBlank(commandLine.at(at)))
            ++at;
        program = commandLine.mid(start, at - start);
    }

    QStringList result{program};
    result.append(SplitArguments(commandLine.mid(at)));
    return result;
}

QString Join(const QStringList &arguments)
{
    QString text;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (i > 0)
            text.append(QLatin1Char(' '));
        const bool needsQuotes = argument.isEmpty() || argument.contains(QLatin1Char(' '))
            || argument.contains(QLatin1Char('\t')) || argument.contains(QLatin1Char('"'));
        if (!needsQuotes) {
            text.append(argument);
            continue;
        }
        text.append(QLatin1Char('"'));
        qsizetype backslashes = 0;
        for (QChar c : argument) {
            if (c == QLatin1Char('\\')) {
                ++backslashes;
                continue;
            }
            if (c == QLatin1Char('"')) {
                // Every backslash before a quote is doubled, and the quote escaped.
                text.append(QString(backslashes * 2 + 1, QLatin1Char('\\')));
                text.append(QLatin1Char('"'));
            } else {
                text.append(QString(backslashes, QLatin1Char('\\')));
                text.append(c);
            }
            backslashes = 0;
        }
        // Backslashes before the closing quote are doubled so it still closes.
        text.append(QString(backslashes * 2, QLatin1Char('\\')));
        text.append(QLatin1Char('"'));
    }
    return text;
}

} // namespace kelvarin::WindowsCommandLine
