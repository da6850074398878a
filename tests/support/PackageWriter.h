#pragma once

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace kelvarin::test {

// Writes compiled packages in the game's format (System/*.u) for the tests
// and the fuzz seeds: header, name table, export data, export table, import
// table, in that order (the import table last, so a test can splice bytes into
// it without moving anything an offset points to). The tables are public so a
// test can damage an entry before writing the bytes.
//
// Object references as in the format: 0 none, n > 0 export n - 1, n < 0
// import -n - 1.
class PackageWriter
{
public:
    struct ImportEntry
    {
        int32_t classPackage;   // name indices
        int32_t className;
        int32_t outer;
        int32_t objectName;
    };
    struct ExportEntry
    {
        int32_t classRef;
        int32_t superRef;
        int32_t outer;
        int32_t objectName;
        uint32_t flags;
        QByteArray data;
        // Written in place of the real size and offset when set.
        std::optional<int32_t> sizeOverride;
        std::optional<int32_t> offsetOverride;
    };

    explicit PackageWriter(int version = 69);

    // The index of a name, added at its first use.
    int32_t Name(const QByteArray &name);
    int32_t Import(const QByteArray &classPackage, const QByteArray &className, int32_t outer,
                   const QByteArray &objectName);
    // An import of class Core.Package.
    int32_t ImportPackage(const QByteArray &name, int32_t outer = 0);
    // An import of class Core.Class within outer (a package import).
    int32_t ImportClass(int32_t outer, const QByteArray &name);
    int32_t Export(int32_t classRef, int32_t superRef, int32_t outer, const QByteArray &name,
                   const QByteArray &data, uint32_t flags = 0);
    // A removed object: size 0, named None.
    int32_t RemovedExport();
    // A class with the serial data the game writes for one (file version 69
    // layout) ending with the given default properties; with source text,
    // also its text buffer "ScriptText".
    int32_t Class(const QByteArray &name, int32_t superRef, const std::optional<QByteArray> &source,
                  const QByteArray &defaults = QByteArray());
    // A text buffer named "ScriptText" within outer holding the text.
    int32_t ScriptText(int32_t outer, const QByteArray &text);

    // The class's own bytecode as it lies on disk, and its size as counted
    // in memory (references and names 4 bytes each).
    void SetScript(int32_t classRef, const QByteArray &bytecode, int32_t memorySize);
    void SetConfigName(int32_t classRef, const QByteArray &configName);
    void SetDefaults(int32_t classRef, const QByteArray &defaults);

    // Declarations, each linked at the end of its owner's (a class's or a
    // struct's) list of fields. typeRef: a byte property's enum, an object
    // property's class, a class property's meta class, a struct property's
    // struct, an array property's inner property.
    int32_t Declare(int32_t owner, const QByteArray &name, const QByteArray &kind, int32_t typeRef = 0,
                    int arrayDim = 1, uint32_t flags = 0);
    // A struct within outer (a class), its fields declared after it.
    int32_t Struct(int32_t outer, const QByteArray &name, int32_t superStruct = 0);
    // An enum within outer with its value names.
    int32_t Enum(int32_t outer, const QByteArray &name, const QList<QByteArray> &values);
    // A function within a class, linked among its fields.
    int32_t Function(int32_t owner, const QByteArray &name);

    QByteArray Bytes() const;

    // Tagged default properties, one value each; the list ends with EndOfProperties.
    enum PropertyType { ByteType = 1, IntType = 2, BoolType = 3, FloatType = 4, ObjectType = 5, NameType = 6,
                        StrType = 7, ClassType = 8, ArrayType = 9, StructType = 10, DynamicStrType = 13 };
    QByteArray Property(const QByteArray &name, PropertyType type, const QByteArray &value, int arrayIndex = -1,
                        const QByteArray &structName = QByteArray());
    QByteArray BoolProperty(const QByteArray &name, bool value);
    QByteArray EndOfProperties();

    static QByteArray Compact(int64_t value);
    static QByteArray Int32(int32_t value);
    static QByteArray Float(float value);
    // A string as the game stores one: compact length with the NUL, bytes, NUL.
    static QByteArray String(const QByteArray &text);

    std::vector<QByteArray> names;
    std::vector<ImportEntry> imports;
    std::vector<ExportEntry> exports;
    int version;

private:
    struct ClassParts
    {
        QByteArray name;
        int32_t superRef = 0;
        int32_t text = 0;
        QByteArray script;
        int32_t scriptSize = 0;
        QByteArray configName = "System";
        QByteArray defaults;
    };
    struct FieldParts
    {
        QByteArray tail;       // what follows the next field
        bool isStruct = false;
        int32_t superRef = 0;
    };
    void WriteClass(int32_t self);
    void WriteField(int32_t self);
    void Link(int32_t owner, int32_t field);
    int32_t CoreClass(const QByteArray &name);

    int32_t m_textBufferClass = 0;
    int32_t m_core = 0;
    std::map<int32_t, ClassParts> m_classes;
    std::map<int32_t, FieldParts> m_fieldParts;
    std::map<int32_t, std::vector<int32_t>> m_fields;   // owner -> fields in order
    std::map<int32_t, int32_t> m_next;
};

// Packages shared by the tests and the fuzz seeds.
// A mod: MyBase (parent Engine.Actor, with source text and defaults of
// several types), a removed object, MyWeapon (parent MyBase, source text with
// CR LF and a Latin-1 letter, a function), Stripped (parent TournamentWeapon
// in the group Weapons of Botpack, no source text).
PackageWriter SampleModPackage(int version);
// Core declares TextBuffer itself: Object (source text whose buffer's class
// is an export) and TextBuffer (no source text).
PackageWriter SampleCorePackage();

// Header fields, as offsets into a written package.
constexpr int kNameCountField = 12;
constexpr int kNameOffsetField = 16;
constexpr int kExportCountField = 20;
constexpr int kExportOffsetField = 24;
constexpr int kImportCountField = 28;
constexpr int kImportOffsetField = 32;

int32_t ReadInt32(const QByteArray &bytes, int offset);
void PatchInt32(QByteArray &bytes, int offset, int32_t value);

} // namespace kelvarin::test
