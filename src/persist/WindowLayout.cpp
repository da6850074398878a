#include "persist/WindowLayout.h"

#include "persist/RegistryKey.h"
#include "platform/Errors.h"
#include "platform/Registry.h"

namespace kelvarin {

namespace {

void ReadInt(RegistryKey &reg, const char *name, std::optional<int> &field)
{
    const QString n = QLatin1String(name);
    if (reg.ValueExists(n))
        field = reg.ReadInteger(n);
}

void ReadBool(RegistryKey &reg, const char *name, std::optional<bool> &field)
{
    const QString n = QLatin1String(name);
    if (reg.ValueExists(n))
        field = reg.ReadBool(n);
}

QString FindBoxColumnName(int column)
{
    return QStringLiteral("FindBoxColumn%1").arg(column);
}

} // namespace

void WindowLayout::LoadWindowLayout(Registry &registry)
{
    RegistryKey reg(registry, RegRoot::LocalMachine);
    if (!reg.OpenKey(QLatin1String(Key), false))
        return;
    // Read in the order the window applies them.
    ReadInt(reg, "BrowserWidth", browserWidth);
    ReadInt(reg, "PackageWidth", packageWidth);
    ReadInt(reg, "WindowTop", windowTop);
    ReadInt(reg, "WindowLeft", windowLeft);
    ReadInt(reg, "WindowWidth", windowWidth);
    ReadInt(reg, "WindowHeight", windowHeight);
    ReadInt(reg, "WindowState", windowState);
    ReadBool(reg, "ToolbarVis", toolbarVis);
    ReadBool(reg, "BrowserVis", browserVis);
    ReadBool(reg, "PackageBrowserVis", packageBrowserVis);
    ReadInt(reg, "PackageTag", packageTag);
    ReadBool(reg, "PackageListVis", packageListVis);
    ReadInt(reg, "FindBoxLeft", findBoxLeft);
    ReadInt(reg, "FindBoxTop", findBoxTop);
    ReadInt(reg, "FindBoxWidth", findBoxWidth);
    ReadInt(reg, "FindBoxHeight", findBoxHeight);
    for (int column = 0; column < 4; ++column)
        ReadInt(reg, FindBoxColumnName(column).toLatin1().constData(), findBoxColumns[column]);
    reg.CloseKey();
}

void WindowLayout::SaveWindowLayout(Registry &registry) const
{
    // The layout is stored whole or not at all.
    RegistryChanges changes(registry);
    RegistryKey reg(registry, RegRoot::LocalMachine);
    // Not tested on purpose: a key that cannot be opened fails at the first
    // write, naming "WindowTop".
    reg.OpenKey(QLatin1String(Key), true);
    // An unset value is written as the designed window has it.
    reg.WriteInteger(QStringLiteral("WindowTop"), windowTop.value_or(0));
    reg.WriteInteger(QStringLiteral("WindowLeft"), windowLeft.value_or(0));
    reg.WriteInteger(QStringLiteral("WindowWidth"), windowWidth.value_or(532));
    reg.WriteInteger(QStringLiteral("WindowHeight"), windowHeight.value_or(395));
    reg.WriteInteger(QStringLiteral("WindowState"), windowState.value_or(0));
    reg.WriteInteger(QStringLiteral("BrowserWidth"), browserWidth.value_or(193));
    reg.WriteInteger(QStringLiteral("PackageWidth"), packageWidth.value_or(97));
    reg.WriteBool(QStringLiteral("ToolbarVis"), toolbarVis.value_or(true));
    reg.WriteBool(QStringLiteral("BrowserVis"), browserVis.value_or(true));
    reg.WriteBool(QStringLiteral("PackageBrowserVis"), packageBrowserVis.value_or(true));
    reg.WriteInteger(QStringLiteral("PackageTag"), packageTag.value_or(0));
    reg.WriteBool(QStringLiteral("PackageListVis"), packageListVis.value_or(true));
    const auto writeSet = [&reg](const QString &name, const std::optional<int> &value) {
        if (value)
            reg.WriteInteger(name, *value);
    };
    writeSet(QStringLiteral("FindBoxLeft"), findBoxLeft);
    writeSet(QStringLiteral("FindBoxTop"), findBoxTop);
    writeSet(QStringLiteral("FindBoxWidth"), findBoxWidth);
    writeSet(QStringLiteral("FindBoxHeight"), findBoxHeight);
    for (int column = 0; column < 4; ++column)
        writeSet(FindBoxColumnName(column), findBoxColumns[column]);
    reg.CloseKey();
    if (!changes.End())
        throw KelvarinError(QStringLiteral("Failed to set data for 'WindowTop'"));
}

} // namespace kelvarin
