#pragma once

#include <QString>

namespace kelvarin {

class Registry;

// The user's options, one object for the process.
class TOptions
{
public:
    static constexpr const char *DefaultRegistryKey = "\\Software\\Vexa\\Kelvarin";

    QString BaseDir;
    QString CommandLine;
    bool bUCCVisibleCompile = false;
    bool bUCCVisibleExport = false;
    bool bTestrunAfterCompile = false;
    // Packages without sources are read from their compiled package
    // (System\<package>.u) when there is one.
    bool bReadCompiledPackages = true;
    // The package exporter writes sources with Kelvarin's own exporter
    // instead of the game's UCC.exe (which it also falls back on when UCC.exe
    // cannot be started).
    bool bNativeExport = false;
    quint32 InstanceMessage = 0;
    qint32 UCCPriority = 32;
    QString UScriptEditCommand;
    QString LastCompiledPackage;
    QString RegistryKey;

    // Fills the fields from the registry and the editor from the ".UC" file
    // association. False when the options key cannot be opened; the fields
    // then hold the load defaults. Raises KelvarinError for a value of the
    // wrong type ("Invalid data type for '%s'").
    bool LoadOptions(Registry &registry);

    // Writes the eight stored values and, when an editor is set, the file
    // association. False when the key cannot be opened or created. Raises
    // KelvarinError when a value cannot be written. programPath is the running
    // program's full path (for the association's icon).
    bool SaveOptions(Registry &registry, const QString &programPath);

    // Stores LastCompiledPackage alone (a run without a window changes
    // nothing else, and may work on another game directory than the
    // stored one). False when the key cannot be opened or created.
    bool SaveLastCompiledPackage(Registry &registry);
};

} // namespace kelvarin
