#pragma once

#include <QMenu>

namespace kelvarin {

struct ClassPopupState;

// The trees' pop-up menu. It holds its items and shows a ClassPopupState;
// what the items do is connected by the main window. An item whose command
// is not available in this build stays disabled whatever the state says.
class ClassPopup : public QMenu
{
    Q_OBJECT

public:
    explicit ClassPopup(QWidget *parent = nullptr);

    void Apply(const ClassPopupState &state);

    QAction *EditthisclassMenuItem = nullptr;
    QAction *SwitchtreesPopupItem = nullptr;
    QAction *CompilethispackageMenuItem = nullptr;
    QAction *FindClassPopupItem = nullptr;
    QAction *ExplorePopupItem = nullptr;
    QMenu *AddEditRemoveMenu = nullptr;
    QAction *CreateClassPopupItem = nullptr;
    QAction *DeleteClassPopupItem = nullptr;
    QAction *AddINTfilePopupItem = nullptr;
    QAction *Addeditcustomcomment = nullptr;

    // Marks an item as available (its command exists) or not.
    void SetAvailable(QAction *item, bool available);

private:
    void SetEnabled(QAction *item, bool enabled);
};

} // namespace kelvarin
