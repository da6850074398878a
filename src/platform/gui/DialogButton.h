#pragma once

#include <QPushButton>
#include <QString>

namespace kelvarin {

// A dialog's push button, named for the tests that press it. It never
// becomes the default button: Enter belongs to the dialog's own fields
// (the finder's search box, the wizard's pages), not to the last focused
// button.
inline QPushButton *MakeDialogButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace kelvarin
