#pragma once

#include "authoring/NewClassForm.h"

#include <QString>

namespace kelvarin {

// The modal new-class dialog as the commands see it. The window implements
// it; tests script it.
class NewClassDialog
{
public:
    virtual ~NewClassDialog() = default;
    // The dialog's operations of NewClassForm, before it is shown.
    virtual void SetPackage(const QString &package) = 0;
    virtual void SetParentClass(const QString &parent) = 0;
    // Shows the dialog modally. True when it closed through Create, whose
    // checks then all passed; false for Cancel. Both flags are cleared
    // whichever way it closed.
    virtual bool Execute() = 0;
    // The three texts as typed, read after Execute.
    virtual NewClassEntry Entry() const = 0;
};

} // namespace kelvarin
