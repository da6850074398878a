#pragma once

#include <QString>

namespace kelvarin {

// The user's options, one object for the process: plain data that every
// part of the program reads. Loading and saving live in persist/Options.h.
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
};

} // namespace kelvarin
