#pragma once

#include <QString>

namespace kelvarin {

class TOptions;

// The options the options dialog edits; TOptions holds them with the rest.
struct SetDirValues
{
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
    qint32 UCCPriority = 32;
    QString UScriptEditCommand;

    static SetDirValues From(const TOptions &options);
    // Copies these values into options; nothing else changes.
    void ApplyTo(TOptions &options) const;
};

// The user's options, one object for the process: plain data that every
// part of the program reads. Loading and saving live in persist/Options.h.
class TOptions : public SetDirValues
{
public:
    static constexpr const char *DefaultRegistryKey = "\\Software\\Vexa\\Kelvarin";

    quint32 InstanceMessage = 0;
    QString LastCompiledPackage;
    QString RegistryKey;
};

inline SetDirValues SetDirValues::From(const TOptions &options)
{
    return options;
}

inline void SetDirValues::ApplyTo(TOptions &options) const
{
    static_cast<SetDirValues &>(options) = *this;
}

} // namespace kelvarin
