#pragma once

#include "model/Options.h"

#include <optional>

namespace kelvarin {

// The modal options dialog as the main window uses it: filled from the
// options, shown, and answering the edited values on OK, nothing on Cancel.
class OptionsEditor
{
public:
    virtual ~OptionsEditor() = default;
    virtual std::optional<SetDirValues> Edit(const TOptions &options) = 0;
};

} // namespace kelvarin
