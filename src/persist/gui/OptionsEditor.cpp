#include "persist/gui/OptionsEditor.h"

#include "model/Options.h"

namespace kelvarin {

SetDirValues SetDirValues::From(const TOptions &options)
{
    SetDirValues values;
    values.BaseDir = options.BaseDir;
    values.CommandLine = options.CommandLine;
    values.bUCCVisibleCompile = options.bUCCVisibleCompile;
    values.bUCCVisibleExport = options.bUCCVisibleExport;
    values.bTestrunAfterCompile = options.bTestrunAfterCompile;
    values.bReadCompiledPackages = options.bReadCompiledPackages;
    values.bNativeExport = options.bNativeExport;
    values.UCCPriority = options.UCCPriority;
    values.UScriptEditCommand = options.UScriptEditCommand;
    return values;
}

void SetDirValues::ApplyTo(TOptions &options) const
{
    options.BaseDir = BaseDir;
    options.CommandLine = CommandLine;
    options.bUCCVisibleCompile = bUCCVisibleCompile;
    options.bUCCVisibleExport = bUCCVisibleExport;
    options.bTestrunAfterCompile = bTestrunAfterCompile;
    options.bReadCompiledPackages = bReadCompiledPackages;
    options.bNativeExport = bNativeExport;
    options.UCCPriority = UCCPriority;
    options.UScriptEditCommand = UScriptEditCommand;
}

} // namespace kelvarin
