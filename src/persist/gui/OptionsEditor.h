#pragma once

#include <QString>

#include <optional>

namespace kelvarin {

class TOptions;

// The eight values the options dialog edits. The other fields of TOptions
// (LastCompiledPackage, RegistryKey, InstanceMessage) are not the dialog's.
struct SetDirValues
{
    QString BaseDir;
    QString CommandLine;
    bool bUCCVisibleCompile = false;
    bool bUCCVisibleExport = false;
    bool bTestrunAfterCompile = false;
    bool bReadCompiledPackages = true;
    bool bNativeExport = false;
    qint32 UCCPriority = 32;
    QString UScriptEditCommand;

    static SetDirValues From(const TOptions &options);
    // Copies the eight values into options; nothing else changes.
    void ApplyTo(TOptions &options) const;
};

// The modal options dialog as the main window uses it: filled from the
// options, shown, and answering the edited values on OK, nothing on Cancel.
class OptionsEditor
{
public:
    virtual ~OptionsEditor() = default;
    virtual std::optional<SetDirValues> Edit(const TOptions &options) = 0;
};

} // namespace kelvarin
