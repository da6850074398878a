#include "persist/Options.h"

#include "persist/FileAssociation.h"
#include "persist/RegistryKey.h"
#include "platform/Errors.h"
#include "platform/Registry.h"

namespace kelvarin {

namespace {

const QString kEditorExtension = QStringLiteral(".UC");

} // namespace

bool LoadOptions(TOptions &options, Registry &registry)
{
    options.BaseDir = QStringLiteral(".");
    options.CommandLine = QStringLiteral("ctf-face");
    options.bUCCVisibleCompile = false;
    options.bUCCVisibleExport = false;
    options.bTestrunAfterCompile = false;
    options.bReadCompiledPackages = true;
    options.bNativeExport = false;
    options.LastCompiledPackage.clear();
    if (options.RegistryKey.isEmpty())
        options.RegistryKey = QLatin1String(TOptions::DefaultRegistryKey);

    kelvarin::RegistryKey reg(registry, RegRoot::LocalMachine);
    if (!reg.OpenKey(options.RegistryKey, false))
        return false;

    if (reg.ValueExists(QStringLiteral("BaseDir")))
        options.BaseDir = reg.ReadString(QStringLiteral("BaseDir"));
    if (reg.ValueExists(QStringLiteral("CommandLine")))
        options.CommandLine = reg.ReadString(QStringLiteral("CommandLine"));
    if (reg.ValueExists(QStringLiteral("bUCCVisibleCompile")))
        options.bUCCVisibleCompile = reg.ReadBool(QStringLiteral("bUCCVisibleCompile"));
    if (reg.ValueExists(QStringLiteral("bUCCVisibleExport")))
        options.bUCCVisibleExport = reg.ReadBool(QStringLiteral("bUCCVisibleExport"));
    if (reg.ValueExists(QStringLiteral("bTestrunAfterCompile")))
        options.bTestrunAfterCompile = reg.ReadBool(QStringLiteral("bTestrunAfterCompile"));
    if (reg.ValueExists(QStringLiteral("UCCPriority")))
        options.UCCPriority = reg.ReadInteger(QStringLiteral("UCCPriority"));
    if (reg.ValueExists(QStringLiteral("LastCompiledPackage")))
        options.LastCompiledPackage = reg.ReadString(QStringLiteral("LastCompiledPackage"));
    if (reg.ValueExists(QStringLiteral("bReadCompiledPackages")))
        options.bReadCompiledPackages = reg.ReadBool(QStringLiteral("bReadCompiledPackages"));
    if (reg.ValueExists(QStringLiteral("bNativeExport")))
        options.bNativeExport = reg.ReadBool(QStringLiteral("bNativeExport"));

    options.UScriptEditCommand = FileAssociation::StripFileArgument(
        FileAssociation::ReadOpenCommand(registry, kEditorExtension));
    reg.CloseKey();
    return true;
}

bool SaveOptions(TOptions &options, Registry &registry, const QString &programPath)
{
    if (options.RegistryKey.isEmpty())
        options.RegistryKey = QLatin1String(TOptions::DefaultRegistryKey);

    // The record is stored whole or not at all.
    RegistryChanges changes(registry);
    kelvarin::RegistryKey reg(registry, RegRoot::LocalMachine);
    if (!reg.OpenKey(options.RegistryKey, true))
        return false;

    reg.WriteString(QStringLiteral("BaseDir"), options.BaseDir);
    reg.WriteString(QStringLiteral("CommandLine"), options.CommandLine);
    reg.WriteBool(QStringLiteral("bUCCVisibleCompile"), options.bUCCVisibleCompile);
    reg.WriteBool(QStringLiteral("bUCCVisibleExport"), options.bUCCVisibleExport);
    reg.WriteBool(QStringLiteral("bTestrunAfterCompile"), options.bTestrunAfterCompile);
    reg.WriteInteger(QStringLiteral("UCCPriority"), options.UCCPriority);
    reg.WriteString(QStringLiteral("LastCompiledPackage"), options.LastCompiledPackage);
    reg.WriteBool(QStringLiteral("bReadCompiledPackages"), options.bReadCompiledPackages);
    reg.WriteBool(QStringLiteral("bNativeExport"), options.bNativeExport);

    // An empty editor setting leaves whatever association there is alone.
    if (!options.UScriptEditCommand.isEmpty())
        FileAssociation::WriteOpenCommand(registry, kEditorExtension, QStringLiteral("Unreal Code"),
                                          options.UScriptEditCommand, programPath);
    reg.CloseKey();
    if (!changes.End())
        throw KelvarinError(QStringLiteral("Failed to set data for 'BaseDir'"));
    return true;
}

bool SaveLastCompiledPackage(TOptions &options, Registry &registry)
{
    if (options.RegistryKey.isEmpty())
        options.RegistryKey = QLatin1String(TOptions::DefaultRegistryKey);
    kelvarin::RegistryKey reg(registry, RegRoot::LocalMachine);
    if (!reg.OpenKey(options.RegistryKey, true))
        return false;
    reg.WriteString(QStringLiteral("LastCompiledPackage"), options.LastCompiledPackage);
    return true;
}

} // namespace kelvarin
