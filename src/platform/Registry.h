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
};

} // namespace kelvarin
