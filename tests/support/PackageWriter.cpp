#include "support/PackageWriter.h"

#include <cstring>

namespace kelvarin::test {

namespace {

void AppendU16(QByteArray &out, uint16_t value)
{
    out += char(value & 0xFF);
    out += char(value >> 8);
}

} // namespace

PackageWriter::PackageWriter(int fileVersion) : version(fileVersion) {}

QByteArray PackageWriter::Compact(int64_t value)
{
    QByteArray out;
    uint64_t magnitude = value < 0 ? uint64_t(-value) : uint64_t(value);
    uint8_t first = uint8_t(magnitude & 0x3F) | (value < 0 ? 0x80 : 0);
    magnitude >>= 6;
    if (magnitude)
        first |= 0x40;
    out += char(first);
    while (magnitude) {
        uint8_t next = uint8_t(magnitude & 0x7F);
        magnitude >>= 7;
        if (magnitude)
            next |= 0x80;
        out += char(next);
    }
    return out;
}

QByteArray PackageWriter::Int32(int32_t value)
{
    QByteArray out;
    const auto bits = uint32_t(value);
    for (int shift = 0; shift < 32; shift += 8)
        out += char((bits >> shift) & 0xFF);
    return out;
}

QByteArray PackageWriter::Float(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return Int32(int32_t(bits));
}

QByteArray PackageWriter::String(const QByteArray &text)
{
    return Compact(text.size() + 1) + text + '\0';
}

int32_t PackageWriter::Name(const QByteArray &name)
{
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name)
            return int32_t(i);
    names.push_back(name);
    return int32_t(names.size() - 1);
}

int32_t PackageWriter::Import(const QByteArray &classPackage, const QByteArray &className, int32_t outer,
                              const QByteArray &objectName)
{
    imports.push_back({Name(classPackage), Name(className), outer, Name(objectName)});
    return -int32_t(imports.size());
}

int32_t PackageWriter::ImportPackage(const QByteArray &name, int32_t outer)
{
    return Import("Core", "Package", outer, name);
}

int32_t PackageWriter::ImportClass(int32_t outer, const QByteArray &name)
{
    return Import("Core", "Class", outer, name);
}

int32_t PackageWriter::Export(int32_t classRef, int32_t superRef, int32_t outer, const QByteArray &name,
                              const QByteArray &data, uint32_t flags)
{
    exports.push_back({classRef, superRef, outer, Name(name), flags, data, std::nullopt, std::nullopt});
    return int32_t(exports.size());
}

int32_t PackageWriter::RemovedExport()
{
    return Export(0, 0, 0, "None", QByteArray());
}

int32_t PackageWriter::ScriptText(int32_t outer, const QByteArray &text)
{
    if (m_textBufferClass == 0)
        m_textBufferClass = ImportClass(ImportPackage("Core"), "TextBuffer");
    const QByteArray data = Compact(Name("None")) + Int32(0) + Int32(0) + String(text);
    return Export(m_textBufferClass, 0, outer, "ScriptText", data);
}

int32_t PackageWriter::Class(const QByteArray &name, int32_t superRef, const std::optional<QByteArray> &source,
                             const QByteArray &defaults)
{
    const int32_t self = Export(0, superRef, 0, name, QByteArray(), 0x00070004);
    ClassParts &parts = m_classes[self];
    parts.name = name;
    parts.superRef = superRef;
    parts.text = source ? ScriptText(self, *source) : 0;
    parts.defaults = defaults;
    WriteClass(self);
    return self;
}

void PackageWriter::WriteClass(int32_t self)
{
    const ClassParts &parts = m_classes[self];
    const auto fields = m_fields.find(self);
    const int32_t children = fields == m_fields.end() || fields->second.empty() ? 0 : fields->second.front();
    QByteArray data;
    data += Compact(parts.superRef) + Compact(0);                               // UField: super, next
    data += Compact(parts.text) + Compact(children) + Compact(Name(parts.name));   // UStruct: text, children, friendly name
    data += Int32(1) + Int32(0) + Int32(parts.scriptSize) + parts.script;        // line, text position, script
    data += QByteArray(8, '\xFF') + QByteArray(8, '\0');                        // UState: probe and ignore masks
    data += QByteArray(2, '\xFF') + Int32(0);                                   // label table, state flags
    data += Int32(0) + QByteArray(16, '\x5A');                                  // UClass: flags, GUID
    data += Compact(0) + Compact(0) + Compact(0) + Compact(Name(parts.configName));   // dependencies, imports, within, config
    data += parts.defaults.isEmpty() ? EndOfProperties() : parts.defaults;
    exports[size_t(self - 1)].data = data;
}

void PackageWriter::SetScript(int32_t classRef, const QByteArray &bytecode, int32_t memorySize)
{
    m_classes[classRef].script = bytecode;
    m_classes[classRef].scriptSize = memorySize;
    WriteClass(classRef);
}

void PackageWriter::SetConfigName(int32_t classRef, const QByteArray &configName)
{
    m_classes[classRef].configName = configName;
    WriteClass(classRef);
}

void PackageWriter::SetDefaults(int32_t classRef, const QByteArray &defaults)
{
    m_classes[classRef].defaults = defaults;
    WriteClass(classRef);
}

int32_t PackageWriter::CoreClass(const QByteArray &name)
{
    for (size_t i = 0; i < imports.size(); ++i)
        if (names[size_t(imports[i].objectName)] == name && names[size_t(imports[i].className)] == "Class")
            return -int32_t(i) - 1;
    if (m_core == 0)
        m_core = ImportPackage("Core");
    return ImportClass(m_core, name);
}

void PackageWriter::WriteField(int32_t self)
{
    const FieldParts &parts = m_fieldParts[self];
    QByteArray data = EndOfProperties() + Compact(parts.superRef) + Compact(m_next[self]);
    if (parts.isStruct) {
        const auto fields = m_fields.find(self);
        const int32_t children = fields == m_fields.end() || fields->second.empty() ? 0 : fields->second.front();
        data += Compact(0) + Compact(children) + Compact(Name(names[size_t(exports[size_t(self - 1)].objectName)]))
            + Int32(1) + Int32(0) + Int32(0);
    }
    exports[size_t(self - 1)].data = data + parts.tail;
}

int32_t PackageWriter::Declare(int32_t owner, const QByteArray &name, const QByteArray &kind, int32_t typeRef,
                               int arrayDim, uint32_t flags)
{
    QByteArray tail;
    AppendU16(tail, uint16_t(arrayDim));
    tail += Int32(int32_t(flags)) + Compact(Name("None"));
    if (flags & 0x20)
        AppendU16(tail, 0);   // replication offset
    if (kind == "ClassProperty")
        tail += Compact(CoreClass("Class")) + Compact(typeRef);
    else if (kind == "ByteProperty" || kind == "ObjectProperty" || kind == "StructProperty" || kind == "ArrayProperty")
        tail += Compact(typeRef);
    const int32_t self = Export(CoreClass(kind), 0, owner, name, QByteArray());
    m_fieldParts[self] = {tail, false, 0};
    Link(owner, self);
    return self;
}

void PackageWriter::Link(int32_t owner, int32_t field)
{
    std::vector<int32_t> &list = m_fields[owner];
    if (!list.empty()) {
        m_next[list.back()] = field;
        WriteField(list.back());
    }
    list.push_back(field);
    WriteField(field);
    if (m_classes.count(owner))
        WriteClass(owner);
    else
        WriteField(owner);
}

int32_t PackageWriter::Struct(int32_t outer, const QByteArray &name, int32_t superStruct)
{
    const int32_t self = Export(CoreClass("Struct"), superStruct, outer, name, QByteArray());
    m_fieldParts[self] = {QByteArray(), true, superStruct};
    Link(outer, self);
    return self;
}

int32_t PackageWriter::Enum(int32_t outer, const QByteArray &name, const QList<QByteArray> &values)
{
    QByteArray tail = Compact(values.size());
    for (const QByteArray &value : values)
        tail += Compact(Name(value));
    const int32_t self = Export(CoreClass("Enum"), 0, outer, name, QByteArray());
    m_fieldParts[self] = {tail, false, 0};
    Link(outer, self);
    return self;
}

int32_t PackageWriter::Function(int32_t owner, const QByteArray &name)
{
    // Enough of a function for the walk along the fields: its own data
    // after "next" is not read.
    const int32_t self = Export(CoreClass("Function"), 0, owner, name, QByteArray());
    m_fieldParts[self] = {Compact(0) + Compact(0) + Compact(Name(name)) + Int32(1) + Int32(0) + Int32(0), false, 0};
    Link(owner, self);
    return self;
}

QByteArray PackageWriter::Property(const QByteArray &name, PropertyType type, const QByteArray &value,
                                   int arrayIndex, const QByteArray &structName)
{
    const qsizetype size = value.size();
    int sizeCode = size == 1 ? 0 : size == 2 ? 1 : size == 4 ? 2 : size == 12 ? 3 : size == 16 ? 4
        : size <= 0xFF ? 5 : size <= 0xFFFF ? 6 : 7;
    QByteArray out = Compact(Name(name));
    out += char(type | (sizeCode << 4) | (arrayIndex >= 0 ? 0x80 : 0));
    if (type == StructType)
        out += Compact(Name(structName));
    if (sizeCode == 5)
        out += char(size);
    else if (sizeCode == 6)
        AppendU16(out, uint16_t(size));
    else if (sizeCode == 7)
        out += Int32(int32_t(size));
    if (arrayIndex >= 0) {
        if (arrayIndex < 0x80) {
            out += char(arrayIndex);
        } else if (arrayIndex < 0x4000) {
            out += char(0x80 | (arrayIndex >> 8));
            out += char(arrayIndex & 0xFF);
        } else {
            out += char(0xC0 | (arrayIndex >> 24));
            out += char((arrayIndex >> 16) & 0xFF);
            out += char((arrayIndex >> 8) & 0xFF);
            out += char(arrayIndex & 0xFF);
        }
    }
    return out + value;
}

QByteArray PackageWriter::BoolProperty(const QByteArray &name, bool value)
{
    return Compact(Name(name)) + char(BoolType | (value ? 0x80 : 0));
}

QByteArray PackageWriter::EndOfProperties()
{
    return Compact(Name("None"));
}

QByteArray PackageWriter::Bytes() const
{
    QByteArray out = Int32(int32_t(0x9E2A83C1));
    AppendU16(out, uint16_t(version));
    AppendU16(out, 0);
    out += Int32(1);                     // package flags
    out += QByteArray(24, '\0');         // counts and offsets, filled in below
    if (version >= 68) {
        out += QByteArray(16, '\x33');   // GUID
        out += Int32(1) + Int32(int32_t(exports.size())) + Int32(int32_t(names.size()));
    } else {
        out += Int32(1) + Int32(int32_t(out.size() + 8));
        out += QByteArray(16, '\x33');   // the one heritage GUID
    }

    const int nameOffset = int(out.size());
    for (const QByteArray &name : names) {
        if (version >= 64)
            out += Compact(name.size() + 1);
        out += name + '\0';
        out += Int32(0x00070010);
    }
    std::vector<int32_t> offsets;
    for (const ExportEntry &entry : exports) {
        offsets.push_back(int32_t(out.size()));
        out += entry.data;
    }
    const int exportOffset = int(out.size());
    for (size_t i = 0; i < exports.size(); ++i) {
        const ExportEntry &entry = exports[i];
        out += Compact(entry.classRef) + Compact(entry.superRef) + Int32(entry.outer) + Compact(entry.objectName);
        out += Int32(int32_t(entry.flags));
        const int32_t size = entry.sizeOverride.value_or(int32_t(entry.data.size()));
        out += Compact(size);
        if (size > 0)
            out += Compact(entry.offsetOverride.value_or(offsets[i]));
    }
    const int importOffset = int(out.size());
    for (const ImportEntry &entry : imports)
        out += Compact(entry.classPackage) + Compact(entry.className) + Int32(entry.outer) + Compact(entry.objectName);

    PatchInt32(out, kNameCountField, int32_t(names.size()));
    PatchInt32(out, kNameOffsetField, nameOffset);
    PatchInt32(out, kExportCountField, int32_t(exports.size()));
    PatchInt32(out, kExportOffsetField, exportOffset);
    PatchInt32(out, kImportCountField, int32_t(imports.size()));
    PatchInt32(out, kImportOffsetField, importOffset);
    return out;
}

PackageWriter SampleModPackage(int version)
{
    PackageWriter w(version);
    const int32_t core = w.ImportPackage("Core");
    const int32_t engine = w.ImportPackage("Engine");
    const int32_t botpack = w.ImportPackage("Botpack");
    const int32_t weapons = w.ImportPackage("Weapons", botpack);
    const int32_t actor = w.ImportClass(engine, "Actor");
    const int32_t tournamentWeapon = w.ImportClass(weapons, "TournamentWeapon");
    const QByteArray defaults = w.Property("Charge", PackageWriter::IntType, PackageWriter::Int32(100))
        + w.BoolProperty("bStatic", false)
        + w.Property("SelectionWeight", PackageWriter::FloatType, PackageWriter::Float(1.0f))
        + w.Property("Maps", PackageWriter::StrType, PackageWriter::String("AS-Hispeed.unr"), 1)
        + w.Property("Location", PackageWriter::StructType, QByteArray(12, '\0'), -1, "Vector")
        + w.EndOfProperties();
    const int32_t base = w.Class("MyBase", actor, QByteArray("class MyBase extends Actor;\r\n"), defaults);
    w.RemovedExport();
    const int32_t weapon = w.Class("MyWeapon", base, QByteArray("// Caf\xE9\r\nclass MyWeapon extends MyBase;\r\n"));
    w.Export(w.ImportClass(core, "Function"), 0, weapon, "Fire", QByteArray(20, '\x0B'));
    w.Class("Stripped", tournamentWeapon, std::nullopt);
    return w;
}

PackageWriter SampleCorePackage()
{
    PackageWriter w;
    const int32_t object = w.Class("Object", 0, std::nullopt);
    const int32_t textBuffer = w.Class("TextBuffer", object, std::nullopt);
    const QByteArray text = PackageWriter::Compact(w.Name("None")) + PackageWriter::Int32(0) + PackageWriter::Int32(0)
        + PackageWriter::String("class Object;\r\n");
    w.Export(textBuffer, 0, object, "ScriptText", text);
    return w;
}

int32_t ReadInt32(const QByteArray &bytes, int offset)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | uint8_t(bytes[offset + i]);
    return int32_t(value);
}

void PatchInt32(QByteArray &bytes, int offset, int32_t value)
{
    bytes.replace(offset, 4, PackageWriter::Int32(value));
}

} // namespace kelvarin::test
