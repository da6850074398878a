#pragma once

namespace kelvarin {

// Change notifications of a sorted list, in the shape a Qt list model needs.
class ListObserver
{
public:
    virtual ~ListObserver() = default;
    virtual void RowAboutToBeInserted(int row) = 0;
    virtual void RowInserted() = 0;
    virtual void RowAboutToBeRemoved(int row) = 0;
    virtual void RowRemoved() = 0;
    virtual void ListAboutToBeReset() = 0;
    virtual void ListReset() = 0;
    virtual void RowChanged(int row) = 0;
};

} // namespace kelvarin
