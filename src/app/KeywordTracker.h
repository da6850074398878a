#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace kelvarin {

// Recognises keywords typed one character at a time. Each keyword has its
// own counter of characters typed in a row. A character that does not
// continue a keyword sets its counter back to 0 and is not tried again as the
// keyword's first character, so "ccrash" does not count as "crash".
class KeywordTracker
{
public:
    explicit KeywordTracker(const QStringList &keywords);

    // Offers c to every keyword, in their order; answers the keywords that
    // were completed by it (their counters start again at 0).
    QStringList Feed(QChar c);
    // The same for every character of text; answers every completion in order.
    QStringList FeedText(const QString &text);

    int Progress(const QString &keyword) const;

private:
    struct Entry
    {
        QString keyword;
        int counter = 0;
    };
    std::vector<Entry> m_entries;
};

} // namespace kelvarin
