#pragma once

#include "model/LateDisposal.h"
#include "model/TextRules.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace kelvarin {

class ListObserver;

// A list of texts that keeps itself sorted in the case-insensitive order of
// CompareText. Equal entries are allowed; a new one goes after its equals.
// One thread at a time, reads included: a read merges the batches waiting.
class SortedList
{
public:
    int Count() const { return int(m_items.size() + m_pending.size()); }
    bool IsEmpty() const { return m_items.empty() && m_pending.empty(); }
    const QString &At(int row) const { return Settled()[row]; }
    const QStringList &Entries() const { return Settled(); }

    // Inserts at the sorted place and returns the row.
    int Add(const QString &text);
    // Adds many entries at once; the result is that of adding them one by
    // one in the given order. They join the sorted entries when the list is
    // next looked at, so that batch after batch added meanwhile (a package's
    // bindings after another's) costs one merge, not one each.
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
    // The entries, with the batches added since last time merged in.
    const QStringList &Settled() const
    {
        if (!m_pending.empty())
            MergePending();
        return m_items;
    }
    void MergePending() const;
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

    mutable QStringList m_items;
    // One per entry, same order (or none yet). Each key lives apart, so that
    // making room in the list moves pointers, not keys.
    mutable std::vector<std::unique_ptr<SortKey>> m_keys;
    // Entries added by AddMany and not yet merged, in the order added, with their keys.
    mutable QStringList m_pending;
    mutable std::vector<SortKey> m_pendingKeys;
    std::vector<ListObserver *> m_observers;
    // Declared last: the list's end waits for the entries it hands over.
    LateDisposal m_cleared;
};

} // namespace kelvarin
