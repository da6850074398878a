#pragma once

#include "model/Options.h"

#include <QString>

namespace kelvarin {

class Registry;

// Fills the options from the registry and the editor from the ".UC" file
// association. False when the options key cannot be opened; the fields then
// hold the load defaults. Raises KelvarinError for a value of the wrong type
// ("Invalid data type for '%s'").
bool LoadOptions(TOptions &options, Registry &registry);

// Writes the eight stored values and, when an editor is set, the file
// association. False when the key cannot be opened or created. Raises
// KelvarinError when a value cannot be written. programPath is the running
// program's full path (for the association's icon). An empty RegistryKey
// becomes the default one.
bool SaveOptions(TOptions &options, Registry &registry, const QString &programPath);

// Stores LastCompiledPackage alone (a run without a window changes nothing
// else, and may work on another game directory than the stored one). False
// when the key cannot be opened or created.
bool SaveLastCompiledPackage(TOptions &options, Registry &registry);

} // namespace kelvarin
