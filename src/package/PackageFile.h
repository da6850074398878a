#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace kelvarin {

// A class exported by a compiled package.
struct PackageClass
{
    QString name;
    // The parent class's name; empty for a class without one (Object).
    QString parent;
    // The package that declares the parent: this package's own name when the
    // parent is one of its exports, the outermost package of the import
    // otherwise; empty without a parent.
    QString parentPackage;
    // False when the package holds no source text for the class (its sources
    // were stripped when it was compiled).
    bool hasSource = false;
    int exportIndex = -1;
    int sourceExport = -1;   // the class's "ScriptText" text buffer, or -1
};

// A compiled package of the game (System/*.u), file versions 61 to 69: its
// header, name, import and export tables, the classes it exports and their
// source text. The file is read once into memory and every later read works
// on those bytes; every count, offset and size is checked against the file
// before it is used, so a damaged or hostile file raises a KelvarinError
// naming the file and never makes the reader read, loop or allocate beyond
// what the file's size allows. Copies share the bytes.
class PackageFile
{
public:
    // Object references: 0 none, n > 0 export n - 1, n < 0 import -n - 1.
    struct Import
    {
        int32_t classPackage = 0;   // name indices
        int32_t className = 0;
        int32_t outer = 0;          // object reference
        int32_t objectName = 0;
    };
    struct Export
    {
        int32_t classRef = 0;       // 0: the object is itself a class
        int32_t superRef = 0;
        int32_t outer = 0;          // 0: the package itself
        int32_t objectName = 0;
        uint32_t flags = 0;
        int32_t serialSize = 0;
        int32_t serialOffset = 0;
    };

    static constexpr int kOldestVersion = 61;
    static constexpr int kNewestVersion = 69;

    // Reads the package at a path built the Windows way (see SpecPath); its
    // name is the file's name without the extension. Raises KelvarinError
    // when the file cannot be opened, is not a game package (the UCC
    // stand-in's containers included), has a file version outside 61 to 69,
    // or is damaged.
    static PackageFile Open(const QString &specPath);
    // True when the file opens and starts with the game's package tag: a
    // cheap look at a file before listing it as a package (it reads 4 bytes).
    static bool HasPackageTag(const QString &specPath);
    // The same from bytes already in memory; fileName names them in messages.
    static PackageFile FromBytes(const QByteArray &bytes, const QString &packageName, const QString &fileName);

    const QString &PackageName() const { return m_packageName; }
    const QString &FileName() const { return m_fileName; }
    int FileVersion() const { return m_version; }
    int LicenseeVersion() const { return m_licensee; }

    int NameCount() const { return int(m_names.size()); }
    QString Name(int index) const;   // index checked when the tables were read
    // Case-insensitive comparison of a name with ASCII text, as the game does.
    bool NameIs(int index, const char *text) const;
    const std::vector<Import> &Imports() const { return m_imports; }
    const std::vector<Export> &Exports() const { return m_exports; }
    // The object's name and its class's name ("Class" for a class export);
    // empty for reference 0.
    QString ObjectName(int32_t ref) const;
    QString ObjectClassName(int32_t ref) const;
    // An export's serial data (empty when its size is 0).
    QByteArrayView ExportData(int exportIndex) const;

    // The classes in export order.
    const QList<PackageClass> &Classes() const { return m_classes; }
    // The class of that name (ignoring case), or nullptr.
    const PackageClass *FindClass(const QString &name) const;
    // The class's source text as its author wrote it (every byte of an 8-bit
    // text kept as the Latin-1 character of that code), without the
    // defaultproperties block; nullopt when the package holds none for it.
    // Raises KelvarinError when the text buffer is damaged.
    std::optional<QString> SourceText(const PackageClass &packageClass) const;

private:
    struct NameSpan
    {
        int32_t offset;
        int32_t length;
    };

    PackageFile() = default;
    void Parse();
    void ReadHeader();
    void ReadNames(int32_t count, int32_t offset);
    // Reads count entries of a table from offset, each by readEntry(cursor, i).
    template <typename Entry, typename ReadEntry>
    void ReadTable(int32_t count, int32_t offset, const QString &what, std::vector<Entry> &into,
                   ReadEntry &&readEntry);
    void ReadImports(int32_t count, int32_t offset);
    void ReadExports(int32_t count, int32_t offset);
    void CheckOuterChains() const;
    void CollectClasses();
    bool RefInTables(int32_t ref) const;
    bool NameInTable(int32_t index) const;
    int32_t CheckedName(int32_t index, const QString &where) const;
    int32_t CheckedRef(int32_t ref, const QString &where) const;
    int32_t NameOf(int32_t ref) const;
    int32_t OuterOf(int32_t ref) const;
    bool ClassIs(int32_t ref, const char *className) const;
    [[noreturn]] void Damaged(const QString &detail) const;

    QByteArray m_bytes;
    QString m_packageName;
    QString m_fileName;
    int m_version = 0;
    int m_licensee = 0;
    int32_t m_nameCount = 0, m_nameOffset = 0;
    int32_t m_importCount = 0, m_importOffset = 0;
    int32_t m_exportCount = 0, m_exportOffset = 0;
    std::vector<NameSpan> m_names;
    std::vector<Import> m_imports;
    std::vector<Export> m_exports;
    QList<PackageClass> m_classes;
};

} // namespace kelvarin
