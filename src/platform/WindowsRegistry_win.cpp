#include "platform/WindowsRegistry.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace kelvarin {

namespace {

// A key handle, closed when it goes out of scope.
class KeyHandle
{
public:
    KeyHandle() = default;
    ~KeyHandle()
    {
        if (m_key)
            ::RegCloseKey(m_key);
    }
    KeyHandle(const KeyHandle &) = delete;
    KeyHandle &operator=(const KeyHandle &) = delete;

    PHKEY Receive() { return &m_key; }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// The key path as the registry takes it: without a leading backslash.
std::wstring SubKey(const QString &path)
{
    qsizetype start = 0;
    while (start < path.size() && path.at(start) == QLatin1Char('\\'))
        ++start;
    return path.mid(start).toStdWString();
}

HKEY ReadRoot(RegRoot root)
{
    return root == RegRoot::ClassesRoot ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER;
}

// Where a key is created and written, below HKEY_CURRENT_USER.
std::wstring WritePath(RegRoot root, const QString &path)
{
    const std::wstring sub = SubKey(path);
    if (root != RegRoot::ClassesRoot)
        return sub;
    return sub.empty() ? std::wstring(L"Software\\Classes") : L"Software\\Classes\\" + sub;
}

bool OpenForReading(RegRoot root, const QString &path, REGSAM access, KeyHandle &key)
{
    return ::RegOpenKeyExW(ReadRoot(root), SubKey(path).c_str(), 0, access, key.Receive()) == ERROR_SUCCESS;
}

bool OpenForWriting(RegRoot root, const QString &path, KeyHandle &key)
{
    return ::RegCreateKeyExW(HKEY_CURRENT_USER, WritePath(root, path).c_str(), 0, nullptr,
                             REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, key.Receive(), nullptr)
           == ERROR_SUCCESS;
}

bool Store(RegRoot root, const QString &path, const QString &name, DWORD type, const void *data, DWORD size)
{
    KeyHandle key;
    if (!OpenForWriting(root, path, key))
        return false;
    const std::wstring valueName = name.toStdWString();
    return ::RegSetValueExW(key.Get(), valueName.c_str(), 0, type, static_cast<const BYTE *>(data), size)
           == ERROR_SUCCESS;
}

// "%SystemRoot%\notepad.exe" as the shell reads a REG_EXPAND_SZ value; the
// text as stored when it cannot be expanded.
QString Expanded(const QString &text)
{
    const std::wstring source = text.toStdWString();
    const DWORD needed = ::ExpandEnvironmentStringsW(source.c_str(), nullptr, 0);
    if (needed == 0)
        return text;
    std::wstring target(needed, L'\0');
    const DWORD written = ::ExpandEnvironmentStringsW(source.c_str(), target.data(), needed);
    if (written == 0 || written > needed)
        return text;
    target.resize(written - 1);   // without the terminator
    return QString::fromStdWString(target);
}

} // namespace

bool WindowsRegistry::OpenKey(RegRoot root, const QString &path, bool create)
{
    KeyHandle key;
    if (OpenForReading(root, path, KEY_READ, key))
        return true;
    KeyHandle created;
    return create && OpenForWriting(root, path, created);
}

bool WindowsRegistry::StoreExists()
{
    // The programs' own key: before the first close stores the options,
    // there is none, and the start is a first start.
    KeyHandle key;
    return OpenForReading(RegRoot::LocalMachine, QStringLiteral("Software\\Vexa\\Kelvarin"), KEY_READ, key);
}

std::optional<RegValue> WindowsRegistry::Value(RegRoot root, const QString &path, const QString &name)
{
    KeyHandle key;
    if (!OpenForReading(root, path, KEY_QUERY_VALUE, key))
        return std::nullopt;
    const std::wstring valueName = name.toStdWString();
    DWORD type = REG_NONE;
    std::vector<BYTE> data(256);
    for (;;) {
        DWORD size = DWORD(data.size());
        const LSTATUS status = ::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA) {
            // size says how much is needed; the value may grow again
            // before the next read, which then asks once more.
            data.resize(size);
            continue;
        }
        if (status != ERROR_SUCCESS)
            return std::nullopt;
        data.resize(size);
        break;
    }

    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
        // Strings are stored with their terminator, but not always.
        std::wstring wide(data.size() / sizeof(wchar_t), L'\0');
        std::memcpy(wide.data(), data.data(), wide.size() * sizeof(wchar_t));
        const std::size_t end = wide.find(L'\0');
        if (end != std::wstring::npos)
            wide.resize(end);
        QString text = QString::fromStdWString(wide);
        if (type == REG_EXPAND_SZ)
            text = Expanded(text);
        return RegValue{RegValue::Type::String, text, 0};
    }
    case REG_DWORD:
        if (data.size() == sizeof(DWORD)) {
            DWORD dword = 0;
            std::memcpy(&dword, data.data(), sizeof dword);
            return RegValue{RegValue::Type::Dword, QString(), quint32(dword)};
        }
        break;
    default:
        break;
    }
    return RegValue{RegValue::Type::Other, QString(), 0};
}

bool WindowsRegistry::SetString(RegRoot root, const QString &path, const QString &name, const QString &value)
{
    const std::wstring text = value.toStdWString();
    return Store(root, path, name, REG_SZ, text.c_str(), DWORD((text.size() + 1) * sizeof(wchar_t)));
}

bool WindowsRegistry::SetDword(RegRoot root, const QString &path, const QString &name, quint32 value)
{
    const DWORD dword = value;
    return Store(root, path, name, REG_DWORD, &dword, sizeof dword);
}

} // namespace kelvarin
