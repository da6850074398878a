#pragma once

#include <QDialog>
#include <QRect>

#include <array>
#include <functional>
#include <optional>

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTableWidget;

namespace kelvarin {

class ClassFinder;
class Prompter;
class TreeNode;
struct FindResult;

// The class finder's window: the two texts, where to search, the results
// grid and its pop-up. The search itself and its rules are ClassFinder's.
class TFindBox : public QDialog
{
    Q_OBJECT

public:
    static constexpr int ColumnCount = 4;

    TFindBox(ClassFinder &finder, Prompter &prompter, QWidget *parent = nullptr);

    // What the grid's commands do with the node of a cell: Browse selects it
    // in its tree (null clears that tree's selection) and focuses the tree;
    // Edit opens the class in the editor.
    void SetBrowseHandler(std::function<void(int column, TreeNode *node)> handler) { m_browse = std::move(handler); }
    void SetEditHandler(std::function<void(TreeNode *node)> handler) { m_edit = std::move(handler); }
    // Shows the grid's pop-up at a screen position. Default: QMenu::popup.
    void SetPopupRunner(std::function<void(QMenu *, const QPoint &)> runner) { m_popupRunner = std::move(runner); }

    // Shown by the main window's pop-up, searching from the node it was
    // opened on (none: all classes).
    void ShowFor(TreeNode *lookIn);

    void FindButtonClick();
    void StopButtonClick();
    void CloseButtonClick();
    // Empties the texts and the grid, selects "All classes", then Reset.
    void ResetAll();
    // Find enabled, the search told to stop, Stop disabled.
    void Reset();
    // Double click or Browse on a cell (row 0 is the first result; -1 the
    // header).
    void BrowseCell(int row, int column);
    void EditRow(int row);
    // A right-button press at a viewport position of the grid.
    void ResultsGridMouseDown(const QPoint &pos);
    void BrowsePopupItemClick();
    void EditPopupItemClick();

    QLineEdit *NameEdit() const { return m_nameEdit; }
    QLineEdit *ContainEdit() const { return m_containEdit; }
    QGroupBox *NodeSelector() const { return m_nodeSelector; }
    QRadioButton *SearchInItem(int item) const;
    QPushButton *FindButton() const { return m_findButton; }
    QPushButton *StopButton() const { return m_stopButton; }
    QTableWidget *ResultsGrid() const { return m_grid; }
    QMenu *GridPopupMenu() const { return m_gridPopup; }
    QString StatusText() const;
    // Each column's share of the grid's width.
    const float *ColumnShares() const { return m_shares; }

    // Where the user left the finder: its geometry and the grid's column
    // widths, kept by the layout store between runs. Nothing before the
    // finder was first shown.
    struct Placement
    {
        QRect geometry;
        std::array<int, ColumnCount> columns{};
    };
    std::optional<Placement> CurrentPlacement() const;
    // Puts the finder where it was left; a place on no screen is ignored.
    void RestorePlacement(const Placement &placement);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ShowChoices();
    void ClearResults();
    void AddRow(const FindResult &result);
    void SetStatus(const QString &text);
    void RememberShares(int gridWidth);
    void FollowGridWidth(int oldWidth, int newWidth);
    int RowAt(const QPoint &viewportPos, int *column) const;

    ClassFinder &m_finder;
    Prompter &m_prompter;
    std::function<void(int, TreeNode *)> m_browse;
    std::function<void(TreeNode *)> m_edit;
    std::function<void(QMenu *, const QPoint &)> m_popupRunner;

    QLineEdit *m_nameEdit = nullptr;
    QLineEdit *m_containEdit = nullptr;
    QGroupBox *m_nodeSelector = nullptr;
    QButtonGroup *m_choices = nullptr;
    QPushButton *m_findButton = nullptr;
    QPushButton *m_stopButton = nullptr;
    QPushButton *m_resetButton = nullptr;
    QPushButton *m_closeButton = nullptr;
    QTableWidget *m_grid = nullptr;
    QStatusBar *m_statusBar = nullptr;
    QMenu *m_gridPopup = nullptr;
    QAction *m_browseItem = nullptr;
    QAction *m_editItem = nullptr;

    QPoint m_rightClick;
    float m_shares[ColumnCount] = {0.25f, 0.25f, 0.25f, 0.25f};
    bool m_sharesKnown = false;
    bool m_followingWidth = false;
    bool m_shownOnce = false;
    bool m_columnsRestored = false;
};

} // namespace kelvarin
