#pragma once

#include "platform/Registry.h"

namespace kelvarin {

// One open key at a time, with the error behaviour the option loaders rely
// on: reading a value of the wrong type raises "Invalid data type for '%s'",
// a value that cannot be stored raises "Failed to set data for '%s'".
class RegistryKey
{
public:
    RegistryKey(Registry &registry, RegRoot root);

    bool OpenKey(const QString &path, bool canCreate);
    void CloseKey();
    bool IsOpen() const { return m_open; }
    const QString &CurrentPath() const { return m_path; }

    bool ValueExists(const QString &name);
    QString ReadString(const QString &name);   // "" = default value
    qint32 ReadInteger(const QString &name);
    bool ReadBool(const QString &name);
    void WriteString(const QString &name, const QString &value);
    void WriteInteger(const QString &name, qint32 value);
    void WriteBool(const QString &name, bool value);

private:
    Registry &m_registry;
    RegRoot m_root;
    QString m_path;
    bool m_open = false;
};

} // namespace kelvarin
