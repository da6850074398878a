#pragma once

#include "model/ListObserver.h"
#include "model/PackageList.h"

#include <QAbstractListModel>

#include <functional>

namespace kelvarin {

class SortedList;

// Shows a SortedList (bindings, classes waiting for their parent) to a view.
class SortedListAdapter : public QAbstractListModel, private ListObserver
{
    Q_OBJECT

public:
    explicit SortedListAdapter(SortedList &list, QObject *parent = nullptr);
    ~SortedListAdapter() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    void RowAboutToBeInserted(int row) override;
    void RowInserted() override;
    void RowAboutToBeRemoved(int row) override;
    void RowRemoved() override;
    void ListAboutToBeReset() override;
    void ListReset() override;
    void RowChanged(int row) override;

    SortedList &m_list;
};

// Shows the package check list: checked, unchecked or grey (partially
// checked) marks. Ticking by the user is forwarded to a handler instead of
// changing the list; only while a handler is set are the items tickable.
class PackageListAdapter : public QAbstractListModel, private ListObserver
{
    Q_OBJECT

public:
    using TickHandler = std::function<void(int row, PackageList::Mark requested)>;

    explicit PackageListAdapter(PackageList &list, QObject *parent = nullptr);
    ~PackageListAdapter() override;

    void SetTickHandler(TickHandler handler);

    static Qt::CheckState CheckStateOf(PackageList::Mark mark);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

private:
    void RowAboutToBeInserted(int row) override;
    void RowInserted() override;
    void RowAboutToBeRemoved(int row) override;
    void RowRemoved() override;
    void ListAboutToBeReset() override;
    void ListReset() override;
    void RowChanged(int row) override;

    PackageList &m_list;
    TickHandler m_tick;
};

} // namespace kelvarin
