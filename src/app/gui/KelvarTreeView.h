#pragma once

#include <QTreeView>

#include <functional>

namespace kelvarin {

class TreeModelAdapter;
class TreeNode;

// The read-only tree control of both trees. A double click hands the node
// under the mouse to a handler and never expands or collapses; a right click
// first selects the node under the mouse. The view's current node and the
// tree's selected node follow each other. Names are never cut short: the
// column is as wide as the widest shown name (at least the pane), and a
// narrow pane scrolls sideways.
class KelvarTreeView : public QTreeView
{
    Q_OBJECT

public:
    explicit KelvarTreeView(QWidget *parent = nullptr);

    void SetAdapter(TreeModelAdapter *adapter);
    TreeModelAdapter *Adapter() const { return m_adapter; }

    // Called with the node under the mouse (null for none).
    void SetDoubleClickHandler(std::function<void(TreeNode *)> handler);
    // Called after a right-button press has selected the node under the mouse;
    // the position is in viewport coordinates.
    void SetRightPressHandler(std::function<void(const QPoint &)> handler);

    TreeNode *NodeAtPos(const QPoint &viewportPos) const;

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void ViewCurrentChanged(const QModelIndex &current);
    void FollowTreeSelection();
    void ExpandTopLevel(const QModelIndex &parent, int first, int last);
    // Fits the column to the names once the current changes are through.
    void ScheduleFitColumn();
    void FitColumn();

    TreeModelAdapter *m_adapter = nullptr;
    std::function<void(TreeNode *)> m_doubleClick;
    std::function<void(const QPoint &)> m_rightPress;
    bool m_syncing = false;
    bool m_fitScheduled = false;
};

} // namespace kelvarin
