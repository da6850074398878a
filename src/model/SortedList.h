#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace kelvarin {

class ListObserver;

// A list of texts that keeps itself sorted in the case-insensitive order of
// CompareText. Equal entries are allowed; a new one goes after its equals.
class SortedList
{
public:
    int Count() const { return int(m_items.size()); }
    bool IsEmpty() const { return m_items.empty(); }
    const QString &At(int row) const { return m_items[size_t(row)]; }
    const QStringList &Entries() const { return m_items; }

    // Inserts at the sorted place and returns the row.
    int Add(const QString &text);
    // Row of the first entry equal to text ignoring case, or -1.
    int IndexOf(const QString &text) const;
    void RemoveAt(int row);
    void Clear();
    // Replaces every entry (they are sorted on the way in).
    void Assign(const QStringList &entries);

    void AddObserver(ListObserver *observer);
    void RemoveObserver(ListObserver *observer);

private:
    int LowerBound(const QString &text) const;
    int UpperBound(const QString &text) const;

    QStringList m_items;
    std::vector<ListObserver *> m_observers;
};

} // namespace kelvarin
