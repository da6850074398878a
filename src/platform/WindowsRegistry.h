#pragma once

#include "platform/Registry.h"

namespace kelvarin {

// The Windows registry itself (built on Windows only).
//
// The options' root is kept per user: keys below LocalMachine live below
// HKEY_CURRENT_USER, since an ordinary user may not write
// HKEY_LOCAL_MACHINE and would lose every option on closing. ClassesRoot
// reads HKEY_CLASSES_ROOT, the view that merges the user's and the machine's
// file types, and writes to the user's part of it
// (HKEY_CURRENT_USER\Software\Classes), which the shell prefers for that
// user; a command written there is the one the shell runs.
//
// Every value is stored when it is set: BeginChanges holds nothing back
// (the registry stores values one by one).
class WindowsRegistry : public Registry
{
public:
    bool OpenKey(RegRoot root, const QString &path, bool create) override;
    std::optional<RegValue> Value(RegRoot root, const QString &path,
                                  const QString &name) override;
    bool SetString(RegRoot root, const QString &path, const QString &name,
                   const QString &value) override;
    bool SetDword(RegRoot root, const QString &path, const QString &name,
                  quint32 value) override;
    bool StoreExists() override;
};

} // namespace kelvarin
