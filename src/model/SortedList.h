#pragma once

#include "model/TextRules.h"

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
    const QString &At(int row) const { return m_items[row]; }
    const QStringList &Entries() const { return m_items; }

    // Inserts at the sorted place and returns the row.
    int Add(const QString &text);
    // Adds many entries at once; the result is that of adding them one by
    // one in the given order.
    void AddMany(const QStringList &entries);
    // The same with the entries' keys made already (one per entry, same order).
    void AddMany(const QStringList &entries, std::vector<SortKey> &&keys);
    // Row of the first entry equal to text ignoring case, or -1.
    int IndexOf(const QString &text) const;
    void RemoveAt(int row);
    // Keeps the entries whose flag is set (keep has one flag per row).
    void KeepOnly(const std::vector<char> &keep);
    void Clear();
    // Replaces every entry (they are sorted on the way in).
    void Assign(const QStringList &entries);
    // The same with the entries' keys made already (one per entry, same order).
    void Assign(const QStringList &entries, std::vector<SortKey> &&keys);

    void AddObserver(ListObserver *observer);
    void RemoveObserver(ListObserver *observer);

private:
    int Insert(const QString &text, SortKey &&key);
    qsizetype LowerBound(const SortKey &key) const;
    qsizetype UpperBound(const SortKey &key) const;

    QStringList m_items;
    std::vector<SortKey> m_keys;   // one per entry, same order
    std::vector<ListObserver *> m_observers;
};

} // namespace kelvarin
