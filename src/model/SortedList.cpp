#include "model/SortedList.h"

#include "model/ListObserver.h"

#include <algorithm>
#include <numeric>

namespace kelvarin {

qsizetype SortedList::LowerBound(const SortKey &key) const
{
    auto it = std::lower_bound(m_keys.begin(), m_keys.end(), key,
                               [](const SortKey &a, const SortKey &b) { return a.Compare(b) < 0; });
    return it - m_keys.begin();
}

qsizetype SortedList::UpperBound(const SortKey &key) const
{
    auto it = std::upper_bound(m_keys.begin(), m_keys.end(), key,
                               [](const SortKey &a, const SortKey &b) { return a.Compare(b) < 0; });
    return it - m_keys.begin();
}

int SortedList::Add(const QString &text)
{
    SortKey key(text);
    const qsizetype row = UpperBound(key);
    for (ListObserver *o : m_observers)
        o->RowAboutToBeInserted(int(row));
    m_items.insert(row, text);
    m_keys.insert(m_keys.begin() + row, std::move(key));
    for (ListObserver *o : m_observers)
        o->RowInserted();
    return int(row);
}

void SortedList::AddMany(const QStringList &entries)
{
    if (entries.isEmpty())
        return;
    if (entries.size() == 1) {
        Add(entries.front());
        return;
    }
    std::vector<SortKey> keys;
    keys.reserve(size_t(entries.size()));
    for (const QString &entry : entries)
        keys.emplace_back(entry);
    std::vector<qsizetype> order(size_t(entries.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&keys](qsizetype a, qsizetype b) {
        return keys[size_t(a)].Compare(keys[size_t(b)]) < 0;
    });

    for (ListObserver *o : m_observers)
        o->ListAboutToBeReset();
    // A stable merge puts each new entry after the old ones it equals and
    // keeps equal new ones in their order: what one Add after another gives.
    QStringList items;
    std::vector<SortKey> mergedKeys;
    items.reserve(m_items.size() + entries.size());
    mergedKeys.reserve(m_keys.size() + keys.size());
    size_t old = 0;
    size_t fresh = 0;
    while (old < m_keys.size() || fresh < order.size()) {
        const bool takeFresh = old == m_keys.size()
            || (fresh < order.size()
                && keys[size_t(order[fresh])].Compare(m_keys[old]) < 0);
        if (takeFresh) {
            items.append(entries.at(order[fresh]));
            mergedKeys.push_back(std::move(keys[size_t(order[fresh])]));
            ++fresh;
        } else {
            items.append(m_items.at(qsizetype(old)));
            mergedKeys.push_back(std::move(m_keys[old]));
            ++old;
        }
    }
    m_items = std::move(items);
    m_keys = std::move(mergedKeys);
    for (ListObserver *o : m_observers)
        o->ListReset();
}

int SortedList::IndexOf(const QString &text) const
{
    // Only texts equal ignoring case compare equal, so the first entry of
    // the equal range is the one, if any.
    const SortKey key(text);
    const qsizetype row = LowerBound(key);
    if (row < Count() && m_keys[size_t(row)].Compare(key) == 0)
        return int(row);
    return -1;
}

void SortedList::RemoveAt(int row)
{
    if (row < 0 || row >= Count())
        return;
    for (ListObserver *o : m_observers)
        o->RowAboutToBeRemoved(row);
    m_items.removeAt(row);
    m_keys.erase(m_keys.begin() + row);
    for (ListObserver *o : m_observers)
        o->RowRemoved();
}

void SortedList::KeepOnly(const std::vector<char> &keep)
{
    for (ListObserver *o : m_observers)
        o->ListAboutToBeReset();
    QStringList items;
    std::vector<SortKey> keys;
    items.reserve(m_items.size());
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
    m_items.clear();
    m_keys.clear();
    for (ListObserver *o : m_observers)
        o->ListReset();
}

void SortedList::Assign(const QStringList &entries)
{
    Clear();
    AddMany(entries);
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
