#include "platform/gui/DialogOwner.h"

#include <QApplication>

namespace kelvarin {

namespace {

// A top-level window of ours that a dialog can sit on: shown, and not a
// pop-up menu or tool tip that is about to close.
bool CanOwn(const QWidget *window)
{
    if (!window || !window->isWindow() || !window->isVisible() || window->isMinimized())
        return false;
    const Qt::WindowType type = window->windowType();
    return type != Qt::Popup && type != Qt::ToolTip && type != Qt::SplashScreen;
}

} // namespace

bool StaysOnTop(const QWidget *window)
{
    return window && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

QWidget *DialogOwner(QWidget *fallback)
{
    QWidget *active = QApplication::activeWindow();
    if (!CanOwn(active))
        active = nullptr;
    if (active && StaysOnTop(active))
        return active;
    for (QWidget *window : QApplication::topLevelWidgets())
        if (CanOwn(window) && StaysOnTop(window))
            return window;
    if (active)
        return active;
    if (fallback && CanOwn(fallback->window()))
        return fallback->window();
    return nullptr;
}

InFrontScope::InFrontScope(QWidget &dialog, QWidget *fallback)
    : m_dialog(&dialog), m_parent(dialog.parentWidget()), m_flags(dialog.windowFlags())
{
    QWidget *owner = DialogOwner(fallback ? fallback : m_parent.data());
    if (owner == &dialog)
        return;
    Qt::WindowFlags flags = m_flags;
    flags.setFlag(Qt::WindowStaysOnTopHint, StaysOnTop(owner));
    if (owner == m_parent && flags == m_flags)
        return;
    m_changed = true;
    dialog.setParent(owner, flags);
}

InFrontScope::~InFrontScope()
{
    if (m_changed && m_dialog)
        m_dialog->setParent(m_parent, m_flags);
}

} // namespace kelvarin
