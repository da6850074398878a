#include "app/gui/ClassPopup.h"

#include "session/ClassPopupState.h"

namespace kelvarin {

namespace {

const char *const AvailableProperty = "kelvarinAvailable";
const char *const WantedProperty = "kelvarinWanted";

QAction *AddItem(QMenu *menu, const char *name, const QString &caption)
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    item->setProperty(AvailableProperty, true);
    item->setProperty(WantedProperty, true);
    return item;
}

} // namespace

ClassPopup::ClassPopup(QWidget *parent)
    : QMenu(parent)
{
    setObjectName(QStringLiteral("ClassPopup"));
    EditthisclassMenuItem = AddItem(this, "EditthisclassMenuItem", QStringLiteral("&Edit this class..."));
    setDefaultAction(EditthisclassMenuItem);
    SwitchtreesPopupItem = AddItem(this, "SwitchtreesPopupItem", QStringLiteral("&Switch trees"));
    CompilethispackageMenuItem =
        AddItem(this, "CompilethispackageMenuItem", QStringLiteral("&Compile this package"));
    FindClassPopupItem = AddItem(this, "FindClassPopupItem", QStringLiteral("&Find class..."));
    ExplorePopupItem = AddItem(this, "ExplorePopupItem", QStringLiteral("&Explore package directory"));
    AddEditRemoveMenu = addMenu(QStringLiteral("&Add, edit or remove"));
    AddEditRemoveMenu->setObjectName(QStringLiteral("AddEditRemoveMenu"));
    CreateClassPopupItem = AddItem(AddEditRemoveMenu, "CreateClassPopupItem",
                                   QStringLiteral("Create new class in package DUNNO..."));
    DeleteClassPopupItem =
        AddItem(AddEditRemoveMenu, "DeleteClassPopupItem", QStringLiteral("&Delete this class..."));
    AddINTfilePopupItem =
        AddItem(AddEditRemoveMenu, "AddINTfilePopupItem", QStringLiteral("&Add/edit INT file..."));
    Addeditcustomcomment =
        AddItem(AddEditRemoveMenu, "Addeditcustomcomment", QStringLiteral("Add/edit custom comment..."));
}

void ClassPopup::SetAvailable(QAction *item, bool available)
{
    item->setProperty(AvailableProperty, available);
    SetEnabled(item, item->property(WantedProperty).toBool());
}

void ClassPopup::SetEnabled(QAction *item, bool enabled)
{
    item->setProperty(WantedProperty, enabled);
    item->setEnabled(enabled && item->property(AvailableProperty).toBool());
}

void ClassPopup::Apply(const ClassPopupState &state)
{
    SetEnabled(EditthisclassMenuItem, state.editEnabled);
    SetEnabled(SwitchtreesPopupItem, state.switchEnabled);
    SetEnabled(CompilethispackageMenuItem, state.compileEnabled);
    SetEnabled(CreateClassPopupItem, state.createEnabled);
    SetEnabled(AddINTfilePopupItem, state.intEnabled);
    SetEnabled(Addeditcustomcomment, state.commentEnabled);
    CompilethispackageMenuItem->setText(state.compileCaption);
    CreateClassPopupItem->setText(state.createCaption);
    DeleteClassPopupItem->setText(state.deleteCaption);
}

} // namespace kelvarin
