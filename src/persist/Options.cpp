#include "persist/Options.h"

#include "persist/FileAssociation.h"
#include "persist/RegistryKey.h"
#include "platform/Errors.h"
#include "platform/Registry.h"

namespace kelvarin {

namespace {

const QString kEditorExtension = QStringLiteral(".UC");

} // namespace

bool TOptions::LoadOptions(Registry &registry)
{
    BaseDir = QStringLiteral(".");
    CommandLine = QStringLiteral("ctf-face");
    bUCCVisibleCompile = false;
    bUCCVisibleExport = false;
    bTestrunAfterCompile = false;
    bReadCompiledPackages = true;
    bNativeExport = false;
    LastCompiledPackage.clear();
    if (RegistryKey.isEmpty())
        RegistryKey = QLatin1String(DefaultRegistryKey);

    kelvarin::RegistryKey reg(registry, RegRoot::LocalMachine);
    if (!reg.OpenKey(RegistryKey, false))
        return false;

    if (reg.ValueExists(QStringLiteral("BaseDir")))
        BaseDir = reg.ReadString(QStringLiteral("BaseDir"));
    if (reg.ValueExists(QStringLiteral("CommandLine")))
        CommandLine = reg.ReadString(QStringLiteral("CommandLine"));
    if (reg.ValueExists(QStringLiteral("bUCCVisibleCompile")))
        bUCCVisibleCompile = reg.ReadBool(QStringLiteral("bUCCVisibleCompile"));
    if (reg.ValueExists(QStringLiteral("bUCCVisibleExport")))
        bUCCVisibleExport = reg.ReadBool(QStringLiteral("bUCCVisibleExport"));
    if (reg.ValueExists(QStringLiteral("bTestrunAfterCompile")))
        bTestrunAfterCompile = reg.ReadBool(QStringLiteral("bTestrunAfterCompile"));
    if (reg.ValueExists(QStringLiteral("UCCPriority")))
        UCCPriority = reg.ReadInteger(QStringLiteral("UCCPriority"));
    if (reg.ValueExists(QStringLiteral("LastCompiledPackage")))
        LastCompiledPackage = reg.ReadString(QStringLiteral("LastCompiledPackage"));
    if (reg.ValueExists(QStringLiteral("bReadCompiledPackages")))
        bReadCompiledPackages = reg.ReadBool(QStringLiteral("bReadCompiledPackages"));
    if (reg.ValueExists(QStringLiteral("bNativeExport")))
        bNativeExport = reg.ReadBool(QStringLiteral("bNativeExport"));

    UScriptEditCommand = FileAssociation::StripFileArgument(
        FileAssociation::ReadOpenCommand(registry, kEditorExtension));
    reg.CloseKey();
    return true;
}

bool TOptions::SaveOptions(Registry &registry, const QString &programPath)
{
    if (RegistryKey.isEmpty())
        RegistryKey = QLatin1String(DefaultRegistryKey);

    // The record is stored whole or not at all.
    RegistryChanges changes(registry);
    kelvarin::RegistryKey reg(registry, RegRoot::LocalMachine);
    if (!reg.OpenKey(RegistryKey, true))
        return false;

    reg.WriteString(QStringLiteral("BaseDir"), BaseDir);
    reg.WriteString(QStringLiteral("CommandLine"), CommandLine);
    reg.WriteBool(QStringLiteral("bUCCVisibleCompile"), bUCCVisibleCompile);
    reg.WriteBool(QStringLiteral("bUCCVisibleExport"), bUCCVisibleExport);
    reg.WriteBool(QStringLiteral("bTestrunAfterCompile"), bTestrunAfterCompile);
    reg.WriteInteger(QStringLiteral("UCCPriority"), UCCPriority);
    reg.WriteString(QStringLiteral("LastCompiledPackage"), LastCompiledPackage);
    reg.WriteBool(QStringLiteral("bReadCompiledPackages"), bReadCompiledPackages);
    reg.WriteBool(QStringLiteral("bNativeExport"), bNativeExport);

    // An empty editor setting leaves whatever association there is alone.
    if (!UScriptEditCommand.isEmpty())
        FileAssociation::WriteOpenCommand(registry, kEditorExtension, QStringLiteral("Unreal Code"),
                                          UScriptEditCommand, programPath);
    reg.CloseKey();
    if (!changes.End())
        throw KelvarinError(QStringLiteral("Failed to set data for 'BaseDir'"));
    return true;
}

bool TOptions::SaveLastCompiledPackage(Registry &registry)
{
    if (RegistryKey.isEmpty())
        RegistryKey = QLatin1String(DefaultRegistryKey);
    kelvarin::RegistryKey reg(registry, RegRoot::LocalMachine);
    if (!reg.OpenKey(RegistryKey, true))
        return false;
    reg.WriteString(QStringLiteral("LastCompiledPackage"), LastCompiledPackage);
    return true;
}

} // namespace kelvarin
