#include "model/PackageList.h"

#include "model/ListObserver.h"
#include "model/TextRules.h"

#include <algorithm>

namespace kelvarin {

int PackageList::Add(const QString &text, Mark mark)
{
    auto it = std::upper_bound(m_items.begin(), m_items.end(), text,
                               [](const QString &t, const Item &item) {
                                   return CompareText(t, item.text) < 0;
                               });
    const int row = int(it - m_items.begin());
    for (ListObserver *o : m_observers)
        o->RowAboutToBeInserted(row);
    m_items.insert(it, Item{text, mark, UpperCase(text)});
    for (ListObserver *o : m_observers)
        o->RowInserted();
    return row;
}

int PackageList::IndexOf(const QString &text) const
{
    const QString upper = UpperCase(text);
    for (int row = 0; row < Count(); ++row)
        if (m_items[size_t(row)].upper == upper)
            return row;
    return -1;
}

void PackageList::SetMark(int row, Mark mark)
{
    if (row < 0 || row >= Count() || m_items[size_t(row)].mark == mark)
        return;
    m_items[size_t(row)].mark = mark;
    for (ListObserver *o : m_observers)
        o->RowChanged(row);
}

void PackageList::RemoveAt(int row)
{
    if (row < 0 || row >= Count())
        return;
    for (ListObserver *o : m_observers)
        o->RowAboutToBeRemoved(row);
    m_items.erase(m_items.begin() + row);
    for (ListObserver *o : m_observers)
        o->RowRemoved();
}

void PackageList::Clear()
{
    for (ListObserver *o : m_observers)
        o->ListAboutToBeReset();
    m_items.clear();
    for (ListObserver *o : m_observers)
        o->ListReset();
}

void PackageList::AddObserver(ListObserver *observer)
{
    m_observers.push_back(observer);
}

void PackageList::RemoveObserver(ListObserver *observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer),
                      m_observers.end());
}

} // namespace kelvarin
