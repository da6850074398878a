#pragma once

#include "platform/Registry.h"

#include <functional>
#include <memory>
#include <vector>

namespace kelvarin {

// The registry kept in one ".reg" text file ("Windows Registry Editor Version
// 5.00", UTF-8), shared by every program of the suite. A file exported by
// another program in UTF-16 or with a byte-order mark is read as well and
// keeps its encoding, mark and line ends when written.
//
// The parsed file is kept between requests and parsed again only when the
// file changed. Every change reads the current file, changes it and replaces
// it atomically, holding a lock file beside it meanwhile, so that several
// programs writing at once lose none of each other's values. A file that
// cannot be parsed counts as holding no key at all; before anything is
// written over it, it is kept beside itself under a new name. A file that
// cannot be opened is never written over.
class RegFileRegistry : public Registry
{
public:
    // nativePath: where the store lives (see DefaultPath()).
    explicit RegFileRegistry(const QString &nativePath);
    ~RegFileRegistry() override;

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
    void BeginChanges() override;
    bool EndChanges() override;
    void CancelChanges() override;
    // The file is there (a damaged one too).
    bool StoreExists() override;

    const QString &FilePath() const { return m_path; }
    // Where a damaged store was set aside, empty when none was.
    const QString &KeptDamagedFile() const { return m_keptDamaged; }

private:
    struct Impl;
    struct Cache;

    // The store as the file holds it now.
    const Impl &Current();
    // Lets change() alter the current store and writes it when it did.
    bool Change(const std::function<bool(Impl &)> &change);
    bool StoreValue(RegRoot root, const QString &keyPath, const QString &name, const RegValue &value);

    QString m_path;
    QString m_keptDamaged;
    std::unique_ptr<Cache> m_cache;
    // Changes held back between BeginChanges and EndChanges.
    int m_changesDepth = 0;
    std::vector<std::function<bool(Impl &)>> m_heldChanges;
};

} // namespace kelvarin
