#pragma once

#include <QString>

namespace kelvarin {

// The text of the launch error box for a code and a target; empty for codes
// of 33 and more (nothing is shown).
QString ExecuteErrorText(int code, const QString &target);

} // namespace kelvarin
