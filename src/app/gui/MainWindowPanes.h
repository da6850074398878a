#pragma once

#include "app/PaneLayout.h"

class QMainWindow;
class QSplitter;
class QToolBar;
class QWidget;

namespace kelvarin {

struct WindowLayout;

// The main window's frame and its three panes as widgets: lays out the
// splitter from a PaneLayout, reads the widths back after the user dragged
// a splitter, runs the view toggles, and turns the window into a stored
// WindowLayout and back.
class MainWindowPanes
{
public:
    // The splitter holds the class tree, the package tree pane and the
    // package list, in that order.
    MainWindowPanes(QMainWindow &window, QSplitter &splitter, QToolBar &toolBar);

    // The panes as laid out now (widths read from the splitter first).
    const PaneLayout &Panes();
    void Apply();

    // The view toggles: false when the toggle may not run now.
    bool ToggleClassesTree();
    bool TogglePackagesTree();
    bool TogglePackagesList();

    void CentreOnScreen();
    void ApplyLayout(const WindowLayout &layout);
    WindowLayout CurrentLayout();

private:
    void Sync();
    QWidget *Pane(int index) const;

    QMainWindow &m_window;
    QSplitter &m_splitter;
    QToolBar &m_toolBar;
    PaneLayout m_panes;
    bool m_positioned = false;
};

} // namespace kelvarin
