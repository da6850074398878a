#include "cli/StreamPrompter.h"

namespace kelvarin {

StreamPrompter::StreamPrompter(QTextStream &err, bool answerYes)
    : m_err(err), m_answerYes(answerYes)
{
}

QString StreamPrompter::OneLine(const QString &text)
{
    QString line;
    line.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            // CR LF, LF CR, a lone CR or LF: one line break, one blank.
            if (i + 1 < text.size() && text.at(i + 1) != c
                && (text.at(i + 1) == QLatin1Char('\r') || text.at(i + 1) == QLatin1Char('\n')))
                ++i;
            line += QLatin1Char(' ');
        } else {
            line += c;
        }
    }
    return line;
}

void StreamPrompter::Say(const QString &text)
{
    m_err << "Kelvarin: " << OneLine(text) << '\n';
    m_err.flush();
}

MessageAnswer StreamPrompter::Ask(const QString &text, const QString &title, MessageIcon icon,
                                  MessageButtons buttons, MessageAnswer defaultAnswer)
{
    Q_UNUSED(title);
    Q_UNUSED(defaultAnswer);
    if (icon == MessageIcon::Error)
        m_errorShown = true;
    Say(text);
    if (buttons == MessageButtons::YesNo)
        return m_answerYes ? MessageAnswer::Yes : MessageAnswer::No;
    return MessageAnswer::Ok;
}

} // namespace kelvarin
