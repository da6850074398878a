#pragma once

#include "platform/Registry.h"

namespace kelvarin {

// The registry kept in one ".reg" text file ("Windows Registry Editor Version
// 5.00", UTF-8), shared by every program of the suite. The file is read anew
// for each request and written atomically after each change. A file that
// cannot be parsed counts as holding no key at all; before anything is written
// over it, it is kept beside itself under a new name.
class RegFileRegistry : public Registry
{
public:
    // nativePath: where the store lives (see DefaultPath()).
    explicit RegFileRegistry(const QString &nativePath);

    // $XDG_CONFIG_HOME/Kelvarin/registry.reg, ~/.config/Kelvarin/registry.reg
    // when XDG_CONFIG_HOME is not set.
    static QString DefaultPath();

    bool OpenKey(RegRoot root, const QString &path, bool create) override;
    std::optional<RegValue> Value(RegRoot root, const QString &path,
                                  const QString &name) override;
    bool SetString(RegRoot root, const QString &path, const QString &name,
                   const QString &value) override;
    bool SetDword(RegRoot root, const QString &path, const QString &name,
                  quint32 value) override;

    const QString &FilePath() const { return m_path; }
    // Where a damaged store was set aside, empty when none was.
    const QString &KeptDamagedFile() const { return m_keptDamaged; }

private:
    struct Impl;
    QString m_path;
    QString m_keptDamaged;
};

} // namespace kelvarin
