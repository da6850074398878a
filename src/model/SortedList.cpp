#include "model/SortedList.h"

#include "model/ListObserver.h"
#include "model/TextRules.h"

#include <algorithm>

namespace kelvarin {

int SortedList::LowerBound(const QString &text) const
{
    auto it = std::lower_bound(m_items.begin(), m_items.end(), text,
                               [](const QString &a, const QString &b) {
                                   return CompareText(a, b) < 0;
                               });
    return int(it - m_items.begin());
}

int SortedList::UpperBound(const QString &text) const
{
    auto it = std::upper_bound(m_items.begin(), m_items.end(), text,
                               [](const QString &a, const QString &b) {
                                   return CompareText(a, b) < 0;
                               });
    return int(it - m_items.begin());
}

int SortedList::Add(const QString &text)
{
    const int row = UpperBound(text);
    for (ListObserver *o : m_observers)
        o->RowAboutToBeInserted(row);
    m_items.insert(row, text);
    for (ListObserver *o : m_observers)
        o->RowInserted();
    return row;
}

int SortedList::IndexOf(const QString &text) const
{
    const QString upper = UpperCase(text);
    for (int row = LowerBound(text); row < Count(); ++row) {
        const QString &item = m_items.at(row);
        if (item.size() == text.size() && UpperCase(item) == upper)
            return row;
        if (CompareText(item, text) > 0)
            break;
    }
    return -1;
}

void SortedList::RemoveAt(int row)
{
    if (row < 0 || row >= Count())
        return;
    for (ListObserver *o : m_observers)
        o->RowAboutToBeRemoved(row);
    m_items.removeAt(row);
    for (ListObserver *o : m_observers)
        o->RowRemoved();
}

void SortedList::Clear()
{
    for (ListObserver *o : m_observers)
        o->ListAboutToBeReset();
    m_items.clear();
    for (ListObserver *o : m_observers)
        o->ListReset();
}

void SortedList::Assign(const QStringList &entries)
{
    for (ListObserver *o : m_observers)
        o->ListAboutToBeReset();
    m_items = entries;
    std::stable_sort(m_items.begin(), m_items.end(), [](const QString &a, const QString &b) {
        return CompareText(a, b) < 0;
    });
    for (ListObserver *o : m_observers)
        o->ListReset();
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
