#include "persist/RegistryKey.h"

#include "platform/Errors.h"

namespace kelvarin {

namespace {

[[noreturn]] void InvalidType(const QString &name)
{
    throw KelvarinError(QStringLiteral("Invalid data type for '%1'").arg(name));
}

[[noreturn]] void SetFailed(const QString &name)
{
    throw KelvarinError(QStringLiteral("Failed to set data for '%1'").arg(name));
}

} // namespace

RegistryKey::RegistryKey(Registry &registry, RegRoot root)
    : m_registry(registry), m_root(root)
{
}

// A path starting with a backslash is taken from the root; any other is
// taken below the key now open. A key that cannot be opened leaves the key
// open before as it was.
bool RegistryKey::OpenKey(const QString &path, bool canCreate)
{
    QString full = path;
    if (!path.startsWith(QLatin1Char('\\')) && m_open)
        full = m_path + QLatin1Char('\\') + path;
    if (!full.startsWith(QLatin1Char('\\')))
        full.prepend(QLatin1Char('\\'));
    if (!m_registry.OpenKey(m_root, full, canCreate))
        return false;
    m_path = full;
    m_open = true;
    return true;
}

void RegistryKey::CloseKey()
{
    m_open = false;
    m_path.clear();
}

bool RegistryKey::ValueExists(const QString &name)
{
    return m_open && m_registry.Value(m_root, m_path, name).has_value();
}

QString RegistryKey::ReadString(const QString &name)
{
    if (!m_open)
        return QString();
    const auto value = m_registry.Value(m_root, m_path, name);
    if (!value)
        return QString();
    if (value->type != RegValue::Type::String)
        InvalidType(name);
    return value->text;
}

qint32 RegistryKey::ReadInteger(const QString &name)
{
    const auto value = m_open ? m_registry.Value(m_root, m_path, name) : std::nullopt;
    if (!value || value->type != RegValue::Type::Dword)
        InvalidType(name);
    return qint32(value->dword);
}

bool RegistryKey::ReadBool(const QString &name)
{
    return ReadInteger(name) != 0;
}

void RegistryKey::WriteString(const QString &name, const QString &value)
{
    if (!m_open || !m_registry.SetString(m_root, m_path, name, value))
        SetFailed(name);
}

void RegistryKey::WriteInteger(const QString &name, qint32 value)
{
    if (!m_open || !m_registry.SetDword(m_root, m_path, name, quint32(value)))
        SetFailed(name);
}

void RegistryKey::WriteBool(const QString &name, bool value)
{
    WriteInteger(name, value ? 1 : 0);
}

} // namespace kelvarin
