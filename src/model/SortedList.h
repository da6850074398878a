#pragma once

#include "model/TextRules.h"

#include <QString>
#include <QStringList>

#include <optional>
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
    // The same for entries known to be in order (IsInOrder said so).
    void AssignInOrder(const QStringList &entries);
    // True when entries are in the list's order already, as a saved list is.
    // Compares neighbours directly, making no sort key; safe on any thread.
    static bool IsInOrder(const QStringList &entries);

    void AddObserver(ListObserver *observer);
    void RemoveObserver(ListObserver *observer);

private:
    int Insert(const QString &text, SortKey &&key);
    // The entry's key, made when the entry is first compared: a list taken in
    // order needs keys only where lookups probe it.
    const SortKey &KeyAt(qsizetype row) const;
    // Gives m_keys its slot per entry; a list taken in order has none until
    // something compares or moves its keys.
    void KeysInStep() const;
    // The first row in [from, to) whose entry does not sort before key (Lower)
    // or sorts after it (Upper).
    qsizetype LowerBound(const SortKey &key, qsizetype from, qsizetype to) const;
    qsizetype UpperBound(const SortKey &key, qsizetype from, qsizetype to) const;

    QStringList m_items;
    mutable std::vector<std::optional<SortKey>> m_keys;   // one per entry, same order (or none yet)
    std::vector<ListObserver *> m_observers;
};

} // namespace kelvarin
