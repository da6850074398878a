#pragma once

#include <QString>

#include <optional>

namespace kelvarin {

enum class RegRoot { LocalMachine, ClassesRoot };

struct RegValue
{
    enum class Type { String, Dword, Other };
    Type type = Type::String;
    QString text;        // String
    quint32 dword = 0;   // Dword
};

// The registry as the program uses it: keys below two roots, REG_SZ and
// REG_DWORD values and a key's default value (the empty value name). Key and
// value names compare case-insensitively; a leading backslash of a key path
// is ignored.
class Registry
{
public:
    virtual ~Registry() = default;
    // True when the key exists (or, with create, exists now).
    virtual bool OpenKey(RegRoot root, const QString &path, bool create) = 0;
    virtual std::optional<RegValue> Value(RegRoot root, const QString &path,
                                          const QString &name) = 0;
    // False when the value could not be stored.
    virtual bool SetString(RegRoot root, const QString &path, const QString &name,
                           const QString &value) = 0;
    virtual bool SetDword(RegRoot root, const QString &path, const QString &name,
                          quint32 value) = 0;
    // False when there is no store at all yet, as on the first start of
    // the program for this user.
    virtual bool StoreExists() { return true; }

    // Changes made between BeginChanges and EndChanges may be held back and
    // stored together: a store kept in a file replaces it once, so a record
    // of several values is stored whole or not at all. Reads meanwhile see
    // the store without them. EndChanges answers false when storing failed;
    // CancelChanges drops what was held back.
    virtual void BeginChanges() {}
    virtual bool EndChanges() { return true; }
    virtual void CancelChanges() {}
};

// BeginChanges for a scope: the changes are dropped unless End() was called.
class RegistryChanges
{
public:
    explicit RegistryChanges(Registry &registry)
        : m_registry(registry)
    {
        m_registry.BeginChanges();
    }
    ~RegistryChanges()
    {
        if (!m_ended)
            m_registry.CancelChanges();
    }
    RegistryChanges(const RegistryChanges &) = delete;
    RegistryChanges &operator=(const RegistryChanges &) = delete;

    bool End()
    {
        m_ended = true;
        return m_registry.EndChanges();
    }

private:
    Registry &m_registry;
    bool m_ended = false;
};

} // namespace kelvarin
