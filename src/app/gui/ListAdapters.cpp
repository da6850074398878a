#include "app/gui/ListAdapters.h"

#include "model/SortedList.h"

namespace kelvarin {

SortedListAdapter::SortedListAdapter(SortedList &list, QObject *parent)
    : QAbstractListModel(parent), m_list(list)
{
    m_list.AddObserver(this);
}

SortedListAdapter::~SortedListAdapter()
{
    m_list.RemoveObserver(this);
}

int SortedListAdapter::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_list.Count();
}

QVariant SortedListAdapter::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_list.Count())
        return QVariant();
    if (role == Qt::DisplayRole)
        return m_list.At(index.row());
    return QVariant();
}

void SortedListAdapter::RowAboutToBeInserted(int row)
{
    beginInsertRows(QModelIndex(), row, row);
}

void SortedListAdapter::RowInserted()
{
    endInsertRows();
}

void SortedListAdapter::RowAboutToBeRemoved(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
}

void SortedListAdapter::RowRemoved()
{
    endRemoveRows();
}

void SortedListAdapter::ListAboutToBeReset()
{
    beginResetModel();
}

void SortedListAdapter::ListReset()
{
    endResetModel();
}

void SortedListAdapter::RowChanged(int row)
{
    const QModelIndex i = index(row);
    emit dataChanged(i, i);
}

PackageListAdapter::PackageListAdapter(PackageList &list, QObject *parent)
    : QAbstractListModel(parent), m_list(list)
{
    m_list.AddObserver(this);
}

PackageListAdapter::~PackageListAdapter()
{
    m_list.RemoveObserver(this);
}

void PackageListAdapter::SetTickHandler(TickHandler handler)
{
    m_tick = std::move(handler);
    if (m_list.Count() > 0)
        emit dataChanged(index(0), index(m_list.Count() - 1));
}

Qt::CheckState PackageListAdapter::CheckStateOf(PackageList::Mark mark)
{
    switch (mark) {
    case PackageList::Mark::Checked:
        return Qt::Checked;
    case PackageList::Mark::Grey:
        return Qt::PartiallyChecked;
    case PackageList::Mark::Unchecked:
        break;
    }
    return Qt::Unchecked;
}

int PackageListAdapter::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_list.Count();
}

QVariant PackageListAdapter::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_list.Count())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return m_list.Text(index.row());
    case Qt::CheckStateRole:
        return int(CheckStateOf(m_list.MarkAt(index.row())));
    default:
        return QVariant();
    }
}

Qt::ItemFlags PackageListAdapter::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_tick)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

bool PackageListAdapter::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !m_tick || !index.isValid()
        || index.row() >= m_list.Count())
        return false;
    // The list changes only through the handler (which may refuse); the view
    // shows whatever mark the list holds afterwards.
    const auto state = Qt::CheckState(value.toInt());
    m_tick(index.row(), state == Qt::Unchecked ? PackageList::Mark::Unchecked
                                               : PackageList::Mark::Checked);
    const QModelIndex i = this->index(index.row());
    if (i.isValid())
        emit dataChanged(i, i, {Qt::CheckStateRole});
    return true;
}

void PackageListAdapter::RowAboutToBeInserted(int row)
{
    beginInsertRows(QModelIndex(), row, row);
}

void PackageListAdapter::RowInserted()
{
    endInsertRows();
}

void PackageListAdapter::RowAboutToBeRemoved(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
}

void PackageListAdapter::RowRemoved()
{
    endRemoveRows();
}

void PackageListAdapter::ListAboutToBeReset()
{
    beginResetModel();
}

void PackageListAdapter::ListReset()
{
    endResetModel();
}

void PackageListAdapter::RowChanged(int row)
{
    const QModelIndex i = index(row);
    emit dataChanged(i, i, {Qt::CheckStateRole});
}

} // namespace kelvarin
