#pragma once

#include <QString>

#include <vector>

namespace kelvarin {

class ListObserver;

// The check list of package directories, kept sorted case-insensitively.
// Checked means loaded; Grey marks a package whose removal is being checked.
class PackageList
{
public:
    enum class Mark { Unchecked, Checked, Grey };
    struct Item
    {
        QString text;
        Mark mark = Mark::Unchecked;
        QString upper;   // UpperCase(text), for lookups
    };

    int Count() const { return int(m_items.size()); }
    const Item &At(int row) const { return m_items[size_t(row)]; }
    const QString &Text(int row) const { return m_items[size_t(row)].text; }
    Mark MarkAt(int row) const { return m_items[size_t(row)].mark; }

    int Add(const QString &text, Mark mark = Mark::Unchecked);
    // Row of the item equal to text ignoring case, or -1.
    int IndexOf(const QString &text) const;
    void SetMark(int row, Mark mark);
    void RemoveAt(int row);
    void Clear();

    void AddObserver(ListObserver *observer);
    void RemoveObserver(ListObserver *observer);

private:
    std::vector<Item> m_items;
    std::vector<ListObserver *> m_observers;
};

} // namespace kelvarin
