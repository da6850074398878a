#include "app/gui/MainWindowPanes.h"

#include "persist/WindowLayout.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QSplitter>
#include <QToolBar>

#include <algorithm>

namespace kelvarin {

namespace {

// Widths and sizes from the store are used only within these bounds, so a
// damaged store cannot make the window unusable.
constexpr int MaxPaneWidth = 20000;
constexpr int MaxWindowExtent = 20000;

} // namespace

MainWindowPanes::MainWindowPanes(QMainWindow &window, QSplitter &splitter, QToolBar &toolBar)
    : m_window(window), m_splitter(splitter), m_toolBar(toolBar)
{
}

QWidget *MainWindowPanes::Pane(int index) const
{
    return m_splitter.widget(index);
}

const PaneLayout &MainWindowPanes::Panes()
{
    Sync();
    return m_panes;
}

bool MainWindowPanes::ToggleClassesTree()
{
    Sync();
    if (!m_panes.ToggleClassesTree())
        return false;
    Apply();
    return true;
}

bool MainWindowPanes::TogglePackagesTree()
{
    Sync();
    if (!m_panes.TogglePackagesTree())
        return false;
    Apply();
    return true;
}

bool MainWindowPanes::TogglePackagesList()
{
    Sync();
    if (!m_panes.TogglePackagesList())
        return false;
    Apply();
    return true;
}

void MainWindowPanes::Sync()
{
    if (!m_window.isVisible())
        return;
    const QList<int> sizes = m_splitter.sizes();
    if (sizes.size() != 3)
        return;
    if (m_panes.browserVisible && sizes[0] > 0)
        m_panes.browserWidth = sizes[0];
    if (m_panes.packagesVisible)
        m_panes.packagesWidth = sizes[1];
    if (m_panes.listVisible && sizes[2] > 0)
        m_panes.listWidth = sizes[2];
}

void MainWindowPanes::Apply()
{
    m_panes.EnsureOneVisible();
    Pane(0)->setVisible(m_panes.browserVisible);
    Pane(1)->setVisible(m_panes.packagesVisible);
    Pane(2)->setVisible(m_panes.listVisible);
    // The package tree pane fills the rest; without it the class tree does.
    m_splitter.setStretchFactor(0, m_panes.packagesVisible ? 0 : 1);
    m_splitter.setStretchFactor(1, 1);
    m_splitter.setStretchFactor(2, 0);
    const int total = m_window.isVisible() ? m_splitter.width() : m_window.width();
    int handles = 0;
    if (m_panes.browserVisible && (m_panes.packagesVisible || m_panes.listVisible))
        handles += m_splitter.handleWidth();
    if (m_panes.packagesVisible && m_panes.listVisible)
        handles += m_splitter.handleWidth();
    const int browser = m_panes.browserVisible ? m_panes.browserWidth : 0;
    const int list = m_panes.listVisible ? m_panes.listWidth : 0;
    const int rest = std::max(1, total - browser - list - handles);
    m_splitter.setSizes({m_panes.browserWidth, m_panes.packagesVisible ? rest : 0, m_panes.listWidth});
    if (m_panes.packagesVisible)
        m_panes.packagesWidth = rest;
}

void MainWindowPanes::CentreOnScreen()
{
    if (QScreen *s = m_window.screen() ? m_window.screen() : QGuiApplication::primaryScreen()) {
        const QRect area = s->availableGeometry();
        m_window.move(area.center() - QPoint(m_window.width() / 2, m_window.height() / 2));
    }
}

void MainWindowPanes::ApplyLayout(const WindowLayout &layout)
{
    if (layout.browserWidth)
        m_panes.browserWidth = std::clamp(*layout.browserWidth, int(PaneLayout::MinBrowserWidth), MaxPaneWidth);
    if (layout.packageWidth)
        m_panes.listWidth = std::clamp(*layout.packageWidth, 0, MaxPaneWidth);

    QRect frame(m_window.pos(), m_window.size());
    const bool placed = layout.windowTop || layout.windowLeft;
    if (layout.windowTop)
        frame.moveTop(std::clamp(*layout.windowTop, -MaxWindowExtent, MaxWindowExtent));
    if (layout.windowLeft)
        frame.moveLeft(std::clamp(*layout.windowLeft, -MaxWindowExtent, MaxWindowExtent));
    if (layout.windowWidth)
        frame.setWidth(std::clamp(*layout.windowWidth, std::max(m_window.minimumWidth(), 100), MaxWindowExtent));
    if (layout.windowHeight)
        frame.setHeight(std::clamp(*layout.windowHeight, std::max(m_window.minimumHeight(), 100), MaxWindowExtent));
    m_window.resize(frame.size());
    // A stored position wins over centring, unless it lies off every screen.
    bool onScreen = false;
    for (QScreen *s : QGuiApplication::screens())
        onScreen = onScreen || s->availableGeometry().intersects(frame);
    if (placed && onScreen) {
        m_window.move(frame.topLeft());
        m_positioned = true;
    } else if (!m_positioned) {
        CentreOnScreen();
    }
    if (layout.windowState) {
        switch (*layout.windowState) {
        case 1:
            m_window.setWindowState(Qt::WindowMinimized);
            break;
        case 2:
            m_window.setWindowState(Qt::WindowMaximized);
            break;
        default:
            m_window.setWindowState(Qt::WindowNoState);
            break;
        }
    }

    if (layout.toolbarVis)
        m_toolBar.setVisible(*layout.toolbarVis);
    if (layout.browserVis)
        m_panes.browserVisible = *layout.browserVis;
    if (layout.packageBrowserVis)
        m_panes.packagesVisible = *layout.packageBrowserVis;
    if (layout.packageTag)
        m_panes.rememberedPackagesWidth = std::clamp(*layout.packageTag, 0, MaxPaneWidth);
    if (layout.packageListVis)
        m_panes.listVisible = *layout.packageListVis;
    Apply();
}

WindowLayout MainWindowPanes::CurrentLayout()
{
    Sync();
    WindowLayout layout;
    QRect bounds(m_window.pos(), m_window.size());
    if (m_window.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) {
        // The bounds to come back to, with the frame's offset taken off like
        // pos() has it.
        const QRect normal = m_window.normalGeometry();
        if (normal.isValid())
            bounds = QRect(normal.topLeft() - (m_window.geometry().topLeft() - m_window.pos()), normal.size());
    }
    layout.windowTop = bounds.top();
    layout.windowLeft = bounds.left();
    layout.windowWidth = bounds.width();
    layout.windowHeight = bounds.height();
    layout.windowState = m_window.isMinimized() ? 1 : m_window.isMaximized() ? 2 : 0;
    layout.browserWidth = m_panes.browserWidth;
    layout.packageWidth = m_panes.listWidth;
    layout.toolbarVis = !m_toolBar.isHidden();
    layout.browserVis = m_panes.browserVisible;
    layout.packageBrowserVis = m_panes.packagesVisible;
    layout.packageTag = m_panes.rememberedPackagesWidth;
    layout.packageListVis = m_panes.listVisible;
    return layout;
}

} // namespace kelvarin
