#include "model/SortedList.h"

#include "model/ListObserver.h"

#include <algorithm>
#include <iterator>
#include <numeric>
#include <tuple>
#include <utility>

namespace kelvarin {

void SortedList::KeysInStep() const
{
    if (m_keys.size() != size_t(m_items.size()))
        m_keys.resize(size_t(m_items.size()));
}

const SortKey &SortedList::KeyAt(qsizetype row) const
{
    KeysInStep();
    std::unique_ptr<SortKey> &key = m_keys[size_t(row)];
    if (!key)
        key = std::make_unique<SortKey>(m_items.at(row));
    return *key;
}

qsizetype SortedList::LowerBound(const SortKey &key, qsizetype from, qsizetype to) const
{
    while (from < to) {
        const qsizetype middle = from + (to - from) / 2;
        if (KeyAt(middle).Compare(key) < 0)
            from = middle + 1;
        else
            to = middle;
    }
    return from;
}

qsizetype SortedList::UpperBound(const SortKey &key, qsizetype from, qsizetype to) const
{
    while (from < to) {
        const qsizetype middle = from + (to - from) / 2;
        if (key.Compare(KeyAt(middle)) < 0)
            to = middle;
        else
            from = middle + 1;
    }
    return from;
}

int SortedList::Add(const QString &text)
{
    return Insert(text, SortKey(text));
}

int SortedList::Insert(const QString &text, SortKey &&key)
{
    Settled();
    KeysInStep();
    const qsizetype row = UpperBound(key, 0, Count());
    for (ListObserver *o : m_observers)
        o->RowAboutToBeInserted(int(row));
    m_items.insert(row, text);
    m_keys.insert(m_keys.begin() + row, std::make_unique<SortKey>(std::move(key)));
    for (ListObserver *o : m_observers)
        o->RowInserted();
    return int(row);
}

void SortedList::AddMany(const QStringList &entries)
{
    std::vector<SortKey> keys;
    keys.reserve(size_t(entries.size()));
    for (const QString &entry : entries)
        keys.emplace_back(entry);
    AddMany(entries, std::move(keys));
}

void SortedList::AddMany(const QStringList &entries, std::vector<SortKey> &&keys)
{
    if (entries.isEmpty() || keys.size() != size_t(entries.size()))
        return;
    if (entries.size() == 1 && m_pending.empty()) {
        Insert(entries.front(), std::move(keys.front()));
        return;
    }
    for (ListObserver *o : m_observers)
        o->ListAboutToBeReset();
    m_pending.append(entries);
    m_pendingKeys.insert(m_pendingKeys.end(), std::make_move_iterator(keys.begin()),
                         std::make_move_iterator(keys.end()));
    for (ListObserver *o : m_observers)
        o->ListReset();
}

void SortedList::MergePending() const
{
    const QStringList entries = std::move(m_pending);
    std::vector<SortKey> keys = std::move(m_pendingKeys);
    m_pending.clear();
    m_pendingKeys.clear();
    std::vector<qsizetype> order(size_t(entries.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&keys](qsizetype a, qsizetype b) {
        return keys[size_t(a)].Compare(keys[size_t(b)]) < 0;
    });

    // A stable merge puts each new entry after the old ones it equals and
    // keeps equal new ones in their order: what one Add after another gives.
    // It is done in place from the back, so the old entries that sort before
    // every new one are not touched at all (a package's bindings usually
    // land in one run).
    KeysInStep();
    const size_t oldCount = m_keys.size();
    const size_t freshCount = order.size();
    const size_t untouched = size_t(UpperBound(keys[size_t(order.front())], 0, Count()));
    m_items.resize(qsizetype(oldCount + freshCount));
    m_keys.resize(oldCount + freshCount);
    size_t old = oldCount;       // one past the next old entry to place
    size_t fresh = freshCount;   // one past the next new entry to place
    size_t to = oldCount + freshCount;
    while (fresh > 0) {
        const SortKey &freshKey = keys[size_t(order[fresh - 1])];
        // The old entries that sort after the new one go after it, as one
        // run; among equals the new one goes after.
        const size_t after = size_t(UpperBound(freshKey, qsizetype(untouched), qsizetype(old)));
        std::move_backward(m_items.begin() + qsizetype(after), m_items.begin() + qsizetype(old),
                           m_items.begin() + qsizetype(to));
        std::move_backward(m_keys.begin() + qsizetype(after), m_keys.begin() + qsizetype(old),
                           m_keys.begin() + qsizetype(to));
        to -= old - after;
        old = after;
        --fresh;
        --to;
        m_items[qsizetype(to)] = entries.at(order[fresh]);
        m_keys[to] = std::make_unique<SortKey>(std::move(keys[size_t(order[fresh])]));
    }
}

int SortedList::IndexOf(const QString &text) const
{
    Settled();
    // Only texts equal ignoring case compare equal, so the first entry of
    // the equal range is the one, if any.
    const SortKey key(text);
    const qsizetype row = LowerBound(key, 0, Count());
    if (row < Count() && KeyAt(row).Compare(key) == 0)
        return int(row);
    return -1;
}

void SortedList::RemoveAt(int row)
{
    if (row < 0 || row >= Count())
        return;
    Settled();
    for (ListObserver *o : m_observers)
        o->RowAboutToBeRemoved(row);
    KeysInStep();
    m_items.removeAt(row);
    m_keys.erase(m_keys.begin() + row);
    for (ListObserver *o : m_observers)
        o->RowRemoved();
}

void SortedList::KeepOnly(const std::vector<char> &keep)
{
    Settled();
    for (ListObserver *o : m_observers)
        o->ListAboutToBeReset();
    QStringList items;
    std::vector<std::unique_ptr<SortKey>> keys;
    items.reserve(m_items.size());
    KeysInStep();
    keys.reserve(m_keys.size());
    for (size_t row = 0; row < m_keys.size(); ++row) {
        if (row < keep.size() && !keep[row])
            continue;
        items.append(m_items.at(qsizetype(row)));
        keys.push_back(std::move(m_keys[row]));
    }
    m_items = std::move(items);
    m_keys = std::move(keys);
    for (ListObserver *o : m_observers)
        o->ListReset();
}

void SortedList::Clear()
{
    for (ListObserver *o : m_observers)
        o->ListAboutToBeReset();
    // A large list's entries and keys are freed on a helper thread.
    constexpr qsizetype LargeList = 1000;
    const bool large = m_items.size() + m_pending.size() >= LargeList;
    m_cleared.Dispose(std::make_tuple(std::exchange(m_items, {}), std::exchange(m_keys, {}),
                                      std::exchange(m_pending, {}), std::exchange(m_pendingKeys, {})),
                      large);
    for (ListObserver *o : m_observers)
        o->ListReset();
}

void SortedList::Assign(const QStringList &entries)
{
    if (IsInOrder(entries)) {
        AssignInOrder(entries);
        return;
    }
    Clear();
    AddMany(entries);
}

void SortedList::AssignInOrder(const QStringList &entries)
{
    for (ListObserver *o : m_observers)
        o->ListAboutToBeReset();
    m_items = entries;
    m_keys.clear();   // slots made when a lookup first needs one
    m_pending.clear();
    m_pendingKeys.clear();
    for (ListObserver *o : m_observers)
        o->ListReset();
}

bool SortedList::IsInOrder(const QStringList &entries)
{
    for (qsizetype i = 1; i < entries.size(); ++i)
        if (CompareText(entries.at(i - 1), entries.at(i)) > 0)
            return false;
    return true;
}

void SortedList::AddObserver(ListObserver *observer)
{
    m_observers.push_back(observer);
}

void SortedList::RemoveObserver(ListObserver *observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer),
                      m_observers.end());
}

} // namespace kelvarin
