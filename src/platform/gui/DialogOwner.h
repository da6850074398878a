#pragma once

#include <QPointer>
#include <QWidget>

namespace kelvarin {

// The window that owns a message box or a modal dialog of ours while it is
// open, so that it opens in front of every window of ours: a shown window
// that stays on top (the active one first, as the compile window, the
// compile log and the exporter do) would otherwise cover a question owned
// by a window below it. Without one: the active window of ours, then
// fallback when it is shown; nullptr when there is none.
QWidget *DialogOwner(QWidget *fallback);

// True when the window stays on top of other windows.
bool StaysOnTop(const QWidget *window);

// For the life of the scope the dialog is owned by DialogOwner(fallback)
// and, when that owner stays on top, stays on top itself. Its own parent
// and flags come back at the end, so the dialog is destroyed by the window
// that made it, never by one that lent it a place for a while.
class InFrontScope
{
public:
    InFrontScope(QWidget &dialog, QWidget *fallback);
    ~InFrontScope();
    InFrontScope(const InFrontScope &) = delete;
    InFrontScope &operator=(const InFrontScope &) = delete;

private:
    QPointer<QWidget> m_dialog;
    QPointer<QWidget> m_parent;
    Qt::WindowFlags m_flags;
    bool m_changed = false;
};

} // namespace kelvarin
