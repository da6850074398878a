#include "package/DefaultsRenderer.h"

#include "package/ByteCursor.h"
#include "package/GameConfig.h"
#include "package/ScriptReader.h"
#include "platform/Errors.h"

#include <QRegularExpression>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace kelvarin {

namespace {

constexpr uint32_t kHasStack = 0x02000000;   // object flag: a state frame precedes the properties
constexpr uint32_t kNet = 0x00000020;        // property flag: a replication offset follows
// Beyond this, a chain of parents or nested structs is a loop in a damaged file.
constexpr int kMaxDepth = 256;
// What stands for a struct whose fields are all zero; never written.
const QString kZeroStruct = QStringLiteral("\x01zero");

enum TagType { ByteTag = 1, IntTag = 2, BoolTag = 3, FloatTag = 4, ObjectTag = 5, NameTag = 6, StringTag = 7,
               ClassTag = 8, ArrayTag = 9, StructTag = 10, VectorTag = 11, RotatorTag = 12, StrTag = 13,
               MapTag = 14, FixedArrayTag = 15 };

[[noreturn]] void Refuse(const QString &why)
{
    throw KelvarinError(why);
}

QString KeyOf(const PackageObject &object)
{
    return object.package->PackageName().toUpper() + QLatin1Char(':') + QString::number(object.exportIndex);
}

ByteCursor DataOf(const PackageObject &object, const QString &what)
{
    const QByteArrayView data = object.package->ExportData(object.exportIndex);
    return ByteCursor(data, 0, data.size(), object.package->FileName(), what);
}

int32_t NameAt(const PackageFile &package, ByteCursor &data)
{
    const int32_t index = data.Compact();
    if (index < 0 || index >= package.NameCount())
        data.Damaged(QStringLiteral("a name index of %1, outside the name table").arg(index));
    return index;
}

int32_t RefAt(const PackageFile &package, ByteCursor &data)
{
    const int32_t ref = data.Compact();
    if (int64_t(ref) > int64_t(package.Exports().size()) || -int64_t(ref) > int64_t(package.Imports().size()))
        data.Damaged(QStringLiteral("an object reference of %1, outside the tables").arg(ref));
    return ref;
}

// One entry of a tagged property list; false at the closing None.
struct Tag
{
    int32_t name = 0;
    int type = 0;
    bool hasIndex = false;
    bool boolValue = false;
    int index = 0;
    qsizetype begin = 0;
    qsizetype size = 0;
};

bool ReadTag(const PackageFile &package, ByteCursor &data, Tag &tag)
{
    tag.name = NameAt(package, data);
    if (package.NameIs(tag.name, "None"))
        return false;
    const uint8_t info = data.U8();
    tag.type = info & 0x0F;
    if (tag.type == 0)
        data.Damaged(QStringLiteral("the property %1 has no type").arg(package.Name(tag.name)));
    if (tag.type == StructTag)
        NameAt(package, data);
    const int sizeCode = (info >> 4) & 7;
    static constexpr int kSizes[] = {1, 2, 4, 12, 16};
    int64_t size = 0;
    if (sizeCode < 5)
        size = kSizes[sizeCode];
    else if (sizeCode == 5)
        size = data.U8();
    else if (sizeCode == 6)
        size = data.U16();
    else
        size = data.I32();
    tag.hasIndex = false;
    tag.index = 0;
    if (tag.type == BoolTag) {
        // A bool carries its value in the info byte and nothing after it.
        tag.boolValue = (info & 0x80) != 0;
        if (sizeCode < 5)
            size = 0;
        if (size != 0)
            data.Damaged(QStringLiteral("the bool %1 has a value of %2 bytes").arg(package.Name(tag.name)).arg(size));
    } else if (info & 0x80) {
        tag.hasIndex = true;
        const uint8_t first = data.U8();
        if (!(first & 0x80))
            tag.index = first;
        else if ((first & 0xC0) == 0x80)
            tag.index = ((first & 0x3F) << 8) | data.U8();
        else
            tag.index = int((uint32_t(first & 0x3F) << 24) | (uint32_t(data.U8()) << 16) | (uint32_t(data.U8()) << 8)
                            | data.U8());
    }
    if (size < 0)
        data.Damaged(QStringLiteral("the property %1 has a negative size").arg(package.Name(tag.name)));
    tag.begin = data.Pos();
    tag.size = qsizetype(size);
    data.Skip(tag.size);
    return true;
}

// The part every object but a class starts with: a state frame when it has
// one, then its own property list.
void SkipObjectHeader(const PackageFile &package, ByteCursor &data, uint32_t flags, bool isClass)
{
    if (flags & kHasStack) {
        const int32_t node = RefAt(package, data);
        RefAt(package, data);   // state node
        data.I64();             // probe mask
        data.I32();             // latent action
        if (node != 0)
            data.Compact();     // code offset
    }
    if (!isClass) {
        Tag tag;
        while (ReadTag(package, data, tag)) {
        }
    }
}

bool IsConfig(uint32_t flags)
{
    return flags & (DefaultsRenderer::kConfig | DefaultsRenderer::kGlobalConfig);
}

// The integer at the start of a text, as the C library's atoi reads it.
int64_t LeadingInt(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*([+-]?\\d+)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return 0;
    bool ok = false;
    const qlonglong value = match.captured(1).toLongLong(&ok);
    return ok ? value : (match.captured(1).startsWith(QLatin1Char('-')) ? INT32_MIN : INT32_MAX);
}

// The number at the start of a text, as the C library's atof reads it.
double LeadingFloat(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*([+-]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][+-]?\\d+)?)"));
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? match.captured(1).toDouble() : 0.0;
}

QString Quoted(const QString &text, const QString &what)
{
    if (text.contains(QLatin1Char('"')))
        Refuse(QStringLiteral("the string %1 holds a double quote, which the game's text form cannot hold").arg(what));
    for (const QChar c : text)
        if (c.unicode() > 0xFF)
            Refuse(QStringLiteral("the string %1 holds characters beyond 8 bits").arg(what));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

DefaultsRenderer::DefaultsRenderer(PackageSet &packages, GameConfig &config) : m_packages(packages), m_config(config)
{
}

DefaultsRenderer::~DefaultsRenderer() = default;

QString DefaultsRenderer::FormatFloat(float value)
{
    if (!std::isfinite(value))
        Refuse(QStringLiteral("the float %1 is not a number the game writes").arg(double(value)));
    const double wide = value;
    char buffer[512];
    if (std::fabs(wide) < 1e17) {
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, wide, std::chars_format::fixed, 6);
        return QString::fromLatin1(buffer, result.ptr - buffer);
    }
    // 17 significant digits, then zeros up to the decimal point.
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, wide, std::chars_format::scientific, 16);
    const QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    const int exponent = text.mid(e + 1).toInt();
    QString digits = text.left(e);
    const bool negative = digits.startsWith(QLatin1Char('-'));
    digits.remove(QLatin1Char('-'));
    digits.remove(QLatin1Char('.'));
    digits += QString(exponent + 1 - digits.size(), QLatin1Char('0'));
    return (negative ? QStringLiteral("-") : QString()) + digits + QStringLiteral(".000000");
}

// ---- Declarations ----------------------------------------------------------

DefaultsRenderer::ClassInfo &DefaultsRenderer::Class(const PackageObject &object)
{
    const QString key = KeyOf(object);
    if (ClassInfo *known = m_classes.value(key)) {
        if (!known->failure.isEmpty())
            throw KelvarinError(known->failure);
        return *known;
    }
    try {
        return ReadClass(object, key);
    } catch (const KelvarinError &error) {
        // Kept, so that a class whose own data or declarations cannot be
        // read is never taken later for one that declares less.
        auto failed = std::make_unique<ClassInfo>();
        failed->self = object;
        failed->failure = error.Message();
        ClassInfo *known = m_classes.value(key);
        if (!known) {
            m_classInfos.push_back(std::move(failed));
            m_classes.insert(key, m_classInfos.back().get());
        } else {
            known->failure = error.Message();
        }
        throw;
    }
}

DefaultsRenderer::ClassInfo &DefaultsRenderer::ReadClass(const PackageObject &object, const QString &key)
{
    const PackageFile &package = *object.package;
    const PackageFile::Export &entry = package.Exports()[size_t(object.exportIndex)];
    const QString name = package.Name(entry.objectName);
    if (entry.classRef != 0)
        Refuse(QStringLiteral("%1 in %2 is not a class").arg(name, package.FileName()));
    if (package.FileVersion() < 68)
        Refuse(QStringLiteral("%1 is a package of file version %2, whose classes' data is not read")
                   .arg(package.FileName())
                   .arg(package.FileVersion()));

    auto info = std::make_unique<ClassInfo>();
    info->self = object;
    ByteCursor data = DataOf(object, QStringLiteral("the class %1").arg(name));
    SkipObjectHeader(package, data, entry.flags, true);
    info->superRef = RefAt(package, data);
    RefAt(package, data);                         // next field
    RefAt(package, data);                         // script text
    const int32_t children = RefAt(package, data);
    NameAt(package, data);                        // friendly name
    data.I32();                                   // line
    data.I32();                                   // text position
    const int32_t scriptSize = data.I32();
    int32_t none = -1;
    if (scriptSize != 0) {
        for (int i = 0; i < package.NameCount() && none < 0; ++i)
            if (package.NameIs(i, "None"))
                none = i;
    }
    ScriptReader::Skip(data, scriptSize, none);
    data.I64();                                   // probe mask
    data.I64();                                   // ignore mask
    data.U16();                                   // label table offset
    data.I32();                                   // state flags
    data.U32();                                   // class flags
    data.Skip(16);                                // class GUID
    const int32_t dependencies = data.Compact();
    if (dependencies < 0 || dependencies > data.Left() / 9)
        data.Damaged(QStringLiteral("the class %1 gives %2 dependencies").arg(name).arg(dependencies));
    for (int32_t i = 0; i < dependencies; ++i) {
        RefAt(package, data);
        data.I32();
        data.U32();
    }
    const int32_t imports = data.Compact();
    if (imports < 0 || imports > data.Left())
        data.Damaged(QStringLiteral("the class %1 gives %2 package imports").arg(name).arg(imports));
    for (int32_t i = 0; i < imports; ++i)
        NameAt(package, data);
    RefAt(package, data);                         // class within
    info->configName = package.Name(NameAt(package, data));
    Tag tag;
    while (ReadTag(package, data, tag))
        info->stored.push_back({package.Name(tag.name), tag.type, tag.index, tag.hasIndex, tag.boolValue, tag.begin,
                                tag.size});
    if (data.Left() != 0)
        data.Damaged(QStringLiteral("the defaults of class %1 end %2 bytes before its data does").arg(name).arg(data.Left()));

    ClassInfo &stored = *info;
    m_classInfos.push_back(std::move(info));
    m_classes.insert(key, &stored);
    ReadFieldChain(object, children, stored.own);
    return stored;
}

DefaultsRenderer::ClassInfo *DefaultsRenderer::Parent(ClassInfo &info)
{
    if (!info.parentResolved) {
        if (info.superRef != 0)
            info.parent = &Class(m_packages.Resolve(*info.self.package, info.superRef));
        info.parentResolved = true;
    }
    return info.parent;
}

std::vector<const DefaultsRenderer::Declaration *> DefaultsRenderer::AllProperties(ClassInfo &info)
{
    std::vector<const Declaration *> all;
    int depth = 0;
    for (ClassInfo *current = &info; current; current = Parent(*current)) {
        if (++depth > kMaxDepth)
            Refuse(QStringLiteral("the parents of a class form a loop"));
        all.insert(all.end(), current->own.begin(), current->own.end());
    }
    return all;
}

const DefaultsRenderer::Declaration *DefaultsRenderer::Find(ClassInfo &info, const QString &name)
{
    int depth = 0;
    for (ClassInfo *current = &info; current; current = Parent(*current)) {
        if (++depth > kMaxDepth)
            Refuse(QStringLiteral("the parents of a class form a loop"));
        for (const Declaration *declaration : current->own)
            if (declaration->name.compare(name, Qt::CaseInsensitive) == 0)
                return declaration;
    }
    return nullptr;
}

void DefaultsRenderer::ReadFieldChain(const PackageObject &owner, int32_t first, std::vector<const Declaration *> &into)
{
    const PackageFile &package = *owner.package;
    size_t steps = 0;
    for (int32_t ref = first; ref != 0;) {
        if (ref < 0)
            ThrowDamagedPackage(package.FileName(), QStringLiteral("a field of %1 lies in another package")
                                                        .arg(package.ObjectName(owner.exportIndex + 1)));
        if (++steps > package.Exports().size())
            ThrowDamagedPackage(package.FileName(), QStringLiteral("the fields of %1 form a loop")
                                                        .arg(package.ObjectName(owner.exportIndex + 1)));
        const PackageObject field{&package, ref - 1};
        const QString kind = package.ObjectClassName(ref);
        int32_t next = 0;
        if (kind.endsWith(QLatin1String("Property"), Qt::CaseInsensitive)) {
            into.push_back(ReadProperty(field, owner, &next));
        } else {
            ByteCursor data = DataOf(field, QStringLiteral("the %1 %2").arg(kind, package.ObjectName(ref)));
            SkipObjectHeader(package, data, package.Exports()[size_t(ref - 1)].flags, false);
            RefAt(package, data);   // super field
            next = RefAt(package, data);
        }
        ref = next;
    }
}

const DefaultsRenderer::Declaration *DefaultsRenderer::ReadProperty(const PackageObject &object,
                                                                    const PackageObject &owner, int32_t *next)
{
    const PackageFile &package = *object.package;
    const int32_t ref = object.exportIndex + 1;
    auto declaration = std::make_unique<Declaration>();
    declaration->name = package.ObjectName(ref);
    declaration->kind = package.ObjectClassName(ref);
    declaration->owner = owner;
    const QString what = QStringLiteral("the property %1").arg(declaration->name);
    // The array dimension is read as 16 bits, as the game's 32-bit builds
    // write it, or failing that as 32 bits; only a reading that ends exactly
    // at the object's end counts.
    QString failure;
    for (const int dimensionBytes : {2, 4}) {
        try {
            ByteCursor data = DataOf(object, what);
            SkipObjectHeader(package, data, package.Exports()[size_t(object.exportIndex)].flags, false);
            RefAt(package, data);   // super field
            *next = RefAt(package, data);
            declaration->arrayDim = dimensionBytes == 2 ? data.U16() : data.I32();
            declaration->flags = data.U32();
            NameAt(package, data);   // category
            if (declaration->flags & kNet)
                data.U16();
            const QString &kind = declaration->kind;
            int32_t typeRef = 0;
            if (kind.compare(QLatin1String("ByteProperty"), Qt::CaseInsensitive) == 0
                || kind.compare(QLatin1String("ObjectProperty"), Qt::CaseInsensitive) == 0
                || kind.compare(QLatin1String("StructProperty"), Qt::CaseInsensitive) == 0
                || kind.compare(QLatin1String("ArrayProperty"), Qt::CaseInsensitive) == 0) {
                typeRef = RefAt(package, data);
            } else if (kind.compare(QLatin1String("ClassProperty"), Qt::CaseInsensitive) == 0) {
                RefAt(package, data);
                typeRef = RefAt(package, data);   // the meta class
            } else if (kind.compare(QLatin1String("FixedArrayProperty"), Qt::CaseInsensitive) == 0) {
                RefAt(package, data);
                data.I32();
            } else if (kind.compare(QLatin1String("MapProperty"), Qt::CaseInsensitive) == 0) {
                RefAt(package, data);
                RefAt(package, data);
            }
            if (data.Left() != 0 || declaration->arrayDim < 1 || declaration->arrayDim > 0x7FFF) {
                failure = QStringLiteral("%1 ends %2 bytes before its data does").arg(what).arg(data.Left());
                continue;
            }
            declaration->typeRef = typeRef;
            failure.clear();
            break;
        } catch (const KelvarinError &error) {
            failure = error.Message();
        }
    }
    if (!failure.isEmpty())
        ThrowDamagedPackage(package.FileName(), QStringLiteral("the declaration of property %1 cannot be read (%2)")
                                                    .arg(declaration->name, failure));
    m_declarations.push_back(std::move(declaration));
    return m_declarations.back().get();
}

std::vector<const DefaultsRenderer::Declaration *> &DefaultsRenderer::Fields(const PackageObject &structObject)
{
    const QString key = KeyOf(structObject);
    auto found = m_structs.find(key);
    if (found != m_structs.end())
        return *found;
    if (++m_depth > kMaxDepth)
        Refuse(QStringLiteral("structs nest deeper than %1 levels").arg(kMaxDepth));
    const PackageFile &package = *structObject.package;
    const int32_t ref = structObject.exportIndex + 1;
    std::vector<const Declaration *> fields;
    ByteCursor data = DataOf(structObject, QStringLiteral("the struct %1").arg(package.ObjectName(ref)));
    SkipObjectHeader(package, data, package.Exports()[size_t(structObject.exportIndex)].flags, false);
    const int32_t super = RefAt(package, data);
    RefAt(package, data);   // next
    RefAt(package, data);   // script text
    const int32_t children = RefAt(package, data);
    ReadFieldChain(structObject, children, fields);
    if (super != 0) {
        const std::vector<const Declaration *> &inherited = Fields(m_packages.Resolve(package, super));
        fields.insert(fields.end(), inherited.begin(), inherited.end());
    }
    --m_depth;
    return *m_structs.insert(key, fields);
}

const QStringList &DefaultsRenderer::EnumNames(const PackageObject &enumObject)
{
    const QString key = KeyOf(enumObject);
    auto found = m_enums.find(key);
    if (found != m_enums.end())
        return *found;
    const PackageFile &package = *enumObject.package;
    ByteCursor data = DataOf(enumObject, QStringLiteral("the enum %1").arg(package.ObjectName(enumObject.exportIndex + 1)));
    SkipObjectHeader(package, data, package.Exports()[size_t(enumObject.exportIndex)].flags, false);
    RefAt(package, data);   // super
    RefAt(package, data);   // next
    const int32_t count = data.Compact();
    if (count < 0 || count > data.Left())
        data.Damaged(QStringLiteral("the enum gives %1 names").arg(count));
    QStringList names;
    for (int32_t i = 0; i < count; ++i)
        names.append(package.Name(NameAt(package, data)));
    return *m_enums.insert(key, names);
}

// ---- Values ----------------------------------------------------------------

QString DefaultsRenderer::RenderObject(const PackageFile &package, int32_t ref)
{
    if (ref == 0)
        return QStringLiteral("None");
    return package.ObjectClassName(ref) + QLatin1Char('\'') + PackageSet::PathName(package, ref) + QLatin1Char('\'');
}

QString DefaultsRenderer::RenderItem(const PackageFile &package, const Declaration &declaration, ByteCursor &data,
                                     bool *zero)
{
    const QString &kind = declaration.kind;
    const auto is = [&](const char *name) { return kind.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
    if (is("ByteProperty")) {
        const uint8_t value = data.U8();
        *zero = value == 0;
        if (declaration.typeRef == 0)
            return QString::number(value);
        const QStringList &names = EnumNames(m_packages.Resolve(*declaration.owner.package, declaration.typeRef));
        if (value >= names.size())
            Refuse(QStringLiteral("the value %1 of %2 has no name in its enum").arg(value).arg(declaration.name));
        return names[value];
    }
    if (is("IntProperty")) {
        const int32_t value = data.I32();
        *zero = value == 0;
        return QString::number(value);
    }
    if (is("FloatProperty")) {
        const uint32_t bits = data.U32();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        *zero = bits == 0;
        return FormatFloat(value);
    }
    if (is("ObjectProperty") || is("ClassProperty")) {
        const int32_t ref = RefAt(package, data);
        *zero = ref == 0;
        return RenderObject(package, ref);
    }
    if (is("NameProperty")) {
        const int32_t name = NameAt(package, data);
        *zero = package.NameIs(name, "None");
        return package.Name(name);
    }
    if (is("StrProperty")) {
        const int32_t length = data.Compact();
        QString text;
        if (length > 0) {
            QByteArrayView bytes = data.Take(length);
            if (!bytes.endsWith('\0'))
                data.Damaged(QStringLiteral("the string %1 does not end with a NUL").arg(declaration.name));
            bytes.chop(1);
            text = QString::fromLatin1(bytes);
        } else if (length < 0) {
            const int64_t units = -int64_t(length);
            if (units > data.Left() / 2)
                data.Damaged(QStringLiteral("the string %1 is cut short").arg(declaration.name));
            const QByteArrayView bytes = data.Take(qsizetype(units) * 2);
            for (qsizetype i = 0; i + 1 < units; ++i)
                text += QChar(char16_t(uint8_t(bytes[2 * i]) | (uint8_t(bytes[2 * i + 1]) << 8)));
        }
        *zero = text.isEmpty();
        return Quoted(text, declaration.name);
    }
    if (is("StructProperty"))
        return RenderStruct(package, declaration, data, zero);
    if (is("BoolProperty"))
        Refuse(QStringLiteral("the struct field %1 is a bool, whose stored form inside a struct is not known")
                   .arg(declaration.name));
    Refuse(QStringLiteral("%1 is a %2, a value form that is not written").arg(declaration.name, kind));
}

QString DefaultsRenderer::RenderStruct(const PackageFile &package, const Declaration &declaration, ByteCursor &data,
                                       bool *zero)
{
    if (declaration.typeRef == 0)
        ThrowDamagedPackage(declaration.owner.package->FileName(),
                            QStringLiteral("the struct property %1 names no struct").arg(declaration.name));
    if (++m_depth > kMaxDepth)
        Refuse(QStringLiteral("structs nest deeper than %1 levels").arg(kMaxDepth));
    const std::vector<const Declaration *> &fields
        = Fields(m_packages.Resolve(*declaration.owner.package, declaration.typeRef));
    // Copied: rendering a nested struct may add to the cache.
    const std::vector<const Declaration *> list = fields;
    QStringList parts;
    *zero = true;
    for (const Declaration *field : list) {
        for (int element = 0; element < field->arrayDim; ++element) {
            bool fieldZero = true;
            const QString text = RenderItem(package, *field, data, &fieldZero);
            if (fieldZero)
                continue;
            if (field->arrayDim > 1)
                Refuse(QStringLiteral("the struct field %1 is a static array, whose text form is not known")
                           .arg(field->name));
            parts.append(field->name + QLatin1Char('=') + text);
            *zero = false;
        }
    }
    --m_depth;
    return QLatin1Char('(') + parts.join(QLatin1Char(',')) + QLatin1Char(')');
}

QString DefaultsRenderer::RenderStored(const PackageObject &holder, const Declaration &declaration,
                                       const StoredValue &value)
{
    const PackageFile &package = *holder.package;
    const QString &kind = declaration.kind;
    const auto is = [&](const char *name) { return kind.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
    int expected = 0;
    if (is("ByteProperty"))
        expected = ByteTag;
    else if (is("IntProperty"))
        expected = IntTag;
    else if (is("BoolProperty"))
        expected = BoolTag;
    else if (is("FloatProperty"))
        expected = FloatTag;
    else if (is("ObjectProperty"))
        expected = ObjectTag;
    else if (is("NameProperty"))
        expected = NameTag;
    else if (is("StrProperty"))
        expected = StrTag;
    else if (is("StructProperty"))
        expected = StructTag;
    else if (is("ClassProperty"))
        expected = value.type == ClassTag ? ClassTag : ObjectTag;
    else
        Refuse(QStringLiteral("%1 is a %2, a value form that is not written").arg(declaration.name, kind));
    if (value.type != expected)
        ThrowDamagedPackage(package.FileName(), QStringLiteral("%1 is declared a %2 but stored as type %3")
                                                    .arg(declaration.name, kind)
                                                    .arg(value.type));
    if (expected == BoolTag)
        return value.boolValue ? QStringLiteral("True") : QStringLiteral("False");
    const QByteArrayView data = package.ExportData(holder.exportIndex);
    ByteCursor cursor(data, value.begin, value.begin + value.size, package.FileName(),
                      QStringLiteral("the default of %1").arg(declaration.name));
    bool zero = false;
    const QString text = RenderItem(package, declaration, cursor, &zero);
    if (cursor.Left() != 0)
        cursor.Damaged(QStringLiteral("the default of %1 holds %2 bytes more than its type").arg(declaration.name).arg(cursor.Left()));
    if (expected == StructTag && zero)
        return kZeroStruct;
    return text;
}

QString DefaultsRenderer::ZeroText(const Declaration &declaration)
{
    const QString &kind = declaration.kind;
    const auto is = [&](const char *name) { return kind.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
    if (is("ByteProperty")) {
        if (declaration.typeRef == 0)
            return QStringLiteral("0");
        const QStringList &names = EnumNames(m_packages.Resolve(*declaration.owner.package, declaration.typeRef));
        return names.isEmpty() ? QStringLiteral("0") : names.first();
    }
    if (is("IntProperty"))
        return QStringLiteral("0");
    if (is("BoolProperty"))
        return QStringLiteral("False");
    if (is("FloatProperty"))
        return QStringLiteral("0.000000");
    if (is("ObjectProperty") || is("ClassProperty") || is("NameProperty"))
        return QStringLiteral("None");
    if (is("StrProperty"))
        return QStringLiteral("\"\"");
    if (is("StructProperty"))
        return kZeroStruct;
    Refuse(QStringLiteral("%1 is a %2, a value form that is not written").arg(declaration.name, kind));
}

QString DefaultsRenderer::ConfigText(const Declaration &declaration, const QString &value)
{
    const QString &kind = declaration.kind;
    const auto is = [&](const char *name) { return kind.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
    if (is("IntProperty"))
        return QString::number(int32_t(uint32_t(uint64_t(LeadingInt(value)))));
    if (is("FloatProperty"))
        return FormatFloat(float(LeadingFloat(value)));
    const QString trimmed = value.trimmed();
    if (is("BoolProperty")) {
        if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 || trimmed == QLatin1String("1"))
            return QStringLiteral("True");
        if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0 || trimmed == QLatin1String("0"))
            return QStringLiteral("False");
    } else if (is("ByteProperty")) {
        if (declaration.typeRef == 0)
            return QString::number(uint8_t(LeadingInt(value)));
        const QStringList &names = EnumNames(m_packages.Resolve(*declaration.owner.package, declaration.typeRef));
        for (const QString &name : names)
            if (name.compare(trimmed, Qt::CaseInsensitive) == 0)
                return name;
    } else if (is("NameProperty")) {
        static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_]+$"));
        if (plain.match(trimmed).hasMatch())
            return trimmed;
    } else if (is("StrProperty")) {
        if (!value.startsWith(QLatin1Char('"')))
            return Quoted(value, declaration.name);
        const qsizetype close = value.indexOf(QLatin1Char('"'), 1);
        if (close > 0 && value.mid(close + 1).trimmed().isEmpty())
            return Quoted(value.mid(1, close - 1), declaration.name);
    }
    Refuse(QStringLiteral("the config variable %1 (%2) has the value \"%3\" in the configuration files, whose "
                          "reading by the game is not known")
               .arg(declaration.name, kind, value));
}

const DefaultsRenderer::StoredValue *DefaultsRenderer::StoredOf(ClassInfo &info, const Declaration &declaration,
                                                                int index)
{
    for (const StoredValue &value : info.stored)
        if (value.index == index && value.name.compare(declaration.name, Qt::CaseInsensitive) == 0)
            return &value;
    return nullptr;
}

QString DefaultsRenderer::ClassPath(const PackageObject &object) const
{
    return object.package->PackageName() + QLatin1Char('.') + object.package->ObjectName(object.exportIndex + 1);
}

QString DefaultsRenderer::Label(const Declaration &declaration, int index) const
{
    if (declaration.arrayDim > 1)
        return declaration.name + QLatin1Char('(') + QString::number(index) + QLatin1Char(')');
    return declaration.name;
}

QString DefaultsRenderer::Effective(ClassInfo &info, const Declaration &declaration, int index)
{
    int depth = 0;
    for (ClassInfo *current = &info; current; current = Parent(*current)) {
        if (++depth > kMaxDepth)
            Refuse(QStringLiteral("the parents of a class form a loop"));
        if (IsConfig(declaration.flags)) {
            const bool global = declaration.flags & kGlobalConfig;
            ClassInfo &reader = global ? Class(declaration.owner) : *current;
            const QString key = declaration.arrayDim > 1
                ? declaration.name + QLatin1Char('[') + QString::number(index) + QLatin1Char(']')
                : declaration.name;
            if (const std::optional<QString> value
                = m_config.Value(reader.configName, ClassPath(reader.self), key))
                return ConfigText(declaration, *value);
        }
        if (const StoredValue *value = StoredOf(*current, declaration, index))
            return RenderStored(current->self, declaration, *value);
        if (current->self == declaration.owner)
            break;
    }
    return ZeroText(declaration);
}

QStringList DefaultsRenderer::Render(const PackageFile &package, const PackageClass &packageClass)
{
    m_depth = 0;
    ClassInfo &info = Class({&package, packageClass.exportIndex});
    struct Line
    {
        const Declaration *declaration;
        int index;
        QString text;
    };
    std::vector<Line> lines;
    for (const StoredValue &value : info.stored) {
        const Declaration *declaration = Find(info, value.name);
        if (!declaration)
            Refuse(QStringLiteral("no declaration of its stored property %1 was found").arg(value.name));
        if (value.index >= declaration->arrayDim || (value.hasIndex && declaration->arrayDim == 1 && value.index != 0))
            ThrowDamagedPackage(package.FileName(), QStringLiteral("the default %1(%2) lies outside its array of %3")
                                                        .arg(value.name)
                                                        .arg(value.index)
                                                        .arg(declaration->arrayDim));
        if (IsConfig(declaration->flags))
            continue;   // below, with the configuration files' value
        lines.push_back({declaration, value.index, RenderStored(info.self, *declaration, value)});
    }

    // A config variable is written with the value the game reads at export
    // time, when that differs from what the parent class has.
    const std::vector<const Declaration *> all = AllProperties(info);
    bool configLines = false;
    for (const Declaration *declaration : all) {
        if (!IsConfig(declaration->flags))
            continue;
        for (int index = 0; index < declaration->arrayDim; ++index) {
            const QString mine = Effective(info, *declaration, index);
            ClassInfo *parent = Parent(info);
            const QString theirs = declaration->owner == info.self || !parent ? ZeroText(*declaration)
                                                                             : Effective(*parent, *declaration, index);
            if (mine == theirs)
                continue;
            lines.push_back({declaration, index, mine});
            configLines = true;
        }
    }
    if (configLines) {
        // The game writes every value in the order it walks the properties
        // (the class's own first, then each parent's); the stored values
        // are in that order, so they must agree with it for the config
        // values to be placed among them.
        QHash<const Declaration *, int> order;
        for (size_t i = 0; i < all.size(); ++i)
            order.insert(all[i], int(i));
        const auto before = [&](const Line &a, const Line &b) {
            const int oa = order.value(a.declaration), ob = order.value(b.declaration);
            return oa != ob ? oa < ob : a.index < b.index;
        };
        for (size_t i = 1; i < lines.size(); ++i) {
            if (IsConfig(lines[i].declaration->flags))
                break;
            if (before(lines[i], lines[i - 1]))
                Refuse(QStringLiteral("its stored defaults are not in the order of its properties, so the place of "
                                      "its config variables among them is not known"));
        }
        std::stable_sort(lines.begin(), lines.end(), before);
    }

    QStringList out;
    for (const Line &line : lines) {
        if (line.text == kZeroStruct)
            Refuse(QStringLiteral("the struct %1 is stored with every field zero, whose text form is not known")
                       .arg(line.declaration->name));
        out.append(Label(*line.declaration, line.index) + QLatin1Char('=') + line.text);
    }
    return out;
}

} // namespace kelvarin
