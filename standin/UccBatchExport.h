#pragma once

#include <QStringList>

namespace kelvarin::Standin {

struct UccKnobs;

// "UCC BatchExport P.u Class uc DIR": writes one DIR/<Class>.uc per class of
// the stand-in package P.u (relative to the working directory, names matched
// without regard to case), creating DIR. Exactly the fourth argument is the
// target: a target split into several arguments is not glued back together.
// A real game package, a damaged or unknown file and a missing one each get
// one "Error: " line on standard error and exit status 1.
int RunBatchExport(const QStringList &arguments, const UccKnobs &knobs);

} // namespace kelvarin::Standin
