#include "app/KeywordTracker.h"

namespace kelvarin {

KeywordTracker::KeywordTracker(const QStringList &keywords)
{
    for (const QString &keyword : keywords)
        if (!keyword.isEmpty())
            m_entries.push_back(Entry{keyword, 0});
}

QStringList KeywordTracker::Feed(QChar c)
{
    QStringList fired;
    for (Entry &entry : m_entries) {
        if (c == entry.keyword[entry.counter])
            ++entry.counter;
        else
            entry.counter = 0;
        if (entry.counter == entry.keyword.size()) {
            entry.counter = 0;
            fired.append(entry.keyword);
        }
    }
    return fired;
}

QStringList KeywordTracker::FeedText(const QString &text)
{
    QStringList fired;
    for (QChar c : text)
        fired += Feed(c);
    return fired;
}

int KeywordTracker::Progress(const QString &keyword) const
{
    for (const Entry &entry : m_entries)
        if (entry.keyword == keyword)
            return entry.counter;
    return 0;
}

} // namespace kelvarin
