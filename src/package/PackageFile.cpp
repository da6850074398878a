#include "package/PackageFile.h"

#include "package/ByteCursor.h"
#include "platform/Errors.h"
#include "platform/ReadOnlyFile.h"
#include "platform/SpecPath.h"

#include <cstring>

namespace kelvarin {

namespace {

constexpr uint32_t kPackageTag = 0x9E2A83C1;
// What the UCC stand-in writes at the start of its own containers.
constexpr char kStandinMagic[] = "KelvarinStandinPackage";

// The smallest entry of each table, so that a count can be checked against
// the bytes that follow its table's offset before anything is reserved for it:
// a name is at least a length (or a NUL) and its flags; an import three
// one-byte compact indices and an int32; an export four compact indices, two
// int32 and a size.
constexpr int kMinNameEntry = 5;
constexpr int kMinImportEntry = 7;
constexpr int kMinExportEntry = 12;

QString PackageNameOf(const QString &specPath)
{
    QString name = specPath.section(QLatin1Char('\\'), -1).section(QLatin1Char('/'), -1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        name.truncate(dot);
    return name;
}

} // namespace

PackageFile PackageFile::Open(const QString &specPath)
{
    const QString fileName = SpecPath::Display(specPath);
    ReadOnlyFile file;
    const qint64 size = file.Open(specPath) ? file.Size() : -1;
    if (size < 0)
        throw KelvarinError(QStringLiteral("Cannot open file %1").arg(fileName));
    // Every offset in a package is a 32-bit integer: a larger file is none.
    if (size > INT32_MAX)
        throw KelvarinError(QStringLiteral("%1 is not a game package").arg(fileName));
    PackageFile package;
    package.m_packageName = PackageNameOf(specPath);
    package.m_fileName = fileName;
    // One read of the size asked for: a file that shrank meanwhile gives what
    // it still holds (and reads as cut short), one that grew is read as it was.
    file.ReadMore(package.m_bytes, size);
    file.Close();
    package.Parse();
    return package;
}

bool PackageFile::HasPackageTag(const QString &specPath)
{
    ReadOnlyFile file;
    QByteArray tag;
    return file.Open(specPath) && file.ReadMore(tag, 4)
        && ByteCursor(tag, 0, 4, specPath, QStringLiteral("the header")).U32() == kPackageTag;
}

PackageFile PackageFile::FromBytes(const QByteArray &bytes, const QString &packageName, const QString &fileName)
{
    PackageFile package;
    package.m_bytes = bytes;
    package.m_packageName = packageName;
    package.m_fileName = fileName;
    package.Parse();
    return package;
}

void PackageFile::Damaged(const QString &detail) const
{
    ThrowDamagedPackage(m_fileName, detail);
}

void PackageFile::Parse()
{
    if (m_bytes.size() > INT32_MAX)
        throw KelvarinError(QStringLiteral("%1 is not a game package").arg(m_fileName));
    ReadHeader();
    ReadNames(m_nameCount, m_nameOffset);
    ReadImports(m_importCount, m_importOffset);
    ReadExports(m_exportCount, m_exportOffset);
    CheckOuterChains();
    CollectClasses();
}

void PackageFile::ReadHeader()
{
    const qsizetype size = m_bytes.size();
    ByteCursor header(m_bytes, 0, size, m_fileName, QStringLiteral("the header"));
    if (size < 4 || header.U32() != kPackageTag) {
        if (m_bytes.startsWith(kStandinMagic))
            throw KelvarinError(
                QStringLiteral("%1 is not a game package: it was written by the UCC stand-in").arg(m_fileName));
        throw KelvarinError(QStringLiteral("%1 is not a game package").arg(m_fileName));
    }
    m_version = header.U16();
    m_licensee = header.U16();
    if (m_version < kOldestVersion || m_version > kNewestVersion)
        throw KelvarinError(QStringLiteral("%1 is a package of file version %2; only versions %3 to %4 can be read")
                                .arg(m_fileName)
                                .arg(m_version)
                                .arg(kOldestVersion)
                                .arg(kNewestVersion));
    header.U32();   // package flags
    m_nameCount = header.I32();
    m_nameOffset = header.I32();
    m_exportCount = header.I32();
    m_exportOffset = header.I32();
    m_importCount = header.I32();
    m_importOffset = header.I32();
    if (m_version >= 68) {
        header.Skip(16);   // GUID
        const int32_t generations = header.I32();
        if (generations < 0 || generations > header.Left() / 8)
            Damaged(QStringLiteral("the header gives %1 generations, more than the file can hold").arg(generations));
        header.Skip(qsizetype(generations) * 8);
    } else {
        header.I32();   // heritage count and offset: not needed
        header.I32();
    }

    const auto checkTable = [&](int32_t count, int32_t offset, int minEntry, const char *table) {
        if (count < 0)
            Damaged(QStringLiteral("the header gives a negative %1 count (%2)").arg(QLatin1String(table)).arg(count));
        if (count == 0)
            return;
        if (offset < 0 || offset >= size)
            Damaged(QStringLiteral("the %1 table starts at offset %2, outside the file (%3 bytes)")
                        .arg(QLatin1String(table))
                        .arg(offset)
                        .arg(size));
        if (count > (size - offset) / minEntry)
            Damaged(QStringLiteral("the header gives %1 %2 entries, more than the file can hold")
                        .arg(count)
                        .arg(QLatin1String(table)));
    };
    checkTable(m_nameCount, m_nameOffset, kMinNameEntry, "name");
    checkTable(m_importCount, m_importOffset, kMinImportEntry, "import");
    checkTable(m_exportCount, m_exportOffset, kMinExportEntry, "export");
}

void PackageFile::ReadNames(int32_t count, int32_t offset)
{
    if (count == 0)
        return;
    ByteCursor names(m_bytes, offset, m_bytes.size(), m_fileName, QStringLiteral("the name table"));
    m_names.reserve(size_t(count));
    for (int32_t i = 0; i < count; ++i) {
        const qsizetype start = names.Pos();
        qsizetype length;
        if (m_version >= 64) {
            // The length counts the terminating NUL.
            const int32_t stored = names.Compact();
            if (stored < 0)
                names.Damaged(QStringLiteral("name %1 has a negative length (%2)").arg(i).arg(stored));
            const QByteArrayView text = names.Take(stored);
            const qsizetype nul = text.indexOf('\0');
            length = nul < 0 ? text.size() : nul;
            m_names.push_back({int32_t(names.Pos() - stored), int32_t(length)});
        } else {
            const qsizetype left = names.Left();
            const void *nul = std::memchr(m_bytes.constData() + start, 0, size_t(left));
            if (!nul)
                names.Damaged(QStringLiteral("the name table is cut short at offset %1").arg(start));
            length = static_cast<const char *>(nul) - (m_bytes.constData() + start);
            names.Skip(length + 1);
            m_names.push_back({int32_t(start), int32_t(length)});
        }
        names.U32();   // object flags
    }
}

int32_t PackageFile::CheckedName(int32_t index, const QString &where) const
{
    if (index < 0 || index >= int32_t(m_names.size()))
        Damaged(QStringLiteral("%1 names name %2, outside the name table (%3 names)")
                    .arg(where)
                    .arg(index)
                    .arg(m_names.size()));
    return index;
}

int32_t PackageFile::CheckedRef(int32_t ref, const QString &where) const
{
    const int64_t wide = ref;
    if (wide > int64_t(m_exportCount) || -wide > int64_t(m_importCount))
        Damaged(QStringLiteral("%1 refers to object %2, outside the tables (%3 imports, %4 exports)")
                    .arg(where)
                    .arg(ref)
                    .arg(m_importCount)
                    .arg(m_exportCount));
    return ref;
}

bool PackageFile::RefInTables(int32_t ref) const
{
    return int64_t(ref) <= int64_t(m_exportCount) && -int64_t(ref) <= int64_t(m_importCount);
}

bool PackageFile::NameInTable(int32_t index) const
{
    return index >= 0 && index < m_nameCount;
}

template <typename Entry, typename ReadEntry>
void PackageFile::ReadTable(int32_t count, int32_t offset, const QString &what, std::vector<Entry> &into,
                            ReadEntry &&readEntry)
{
    if (count == 0)
        return;
    ByteCursor table(m_bytes, offset, m_bytes.size(), m_fileName, what);
    // The header's count was checked against the bytes after the offset.
    into.reserve(size_t(count));
    for (int32_t i = 0; i < count; ++i)
        into.push_back(readEntry(table, i));
}

void PackageFile::ReadImports(int32_t count, int32_t offset)
{
    ReadTable(count, offset, QStringLiteral("the import table"), m_imports, [this](ByteCursor &table, int32_t i) {
        Import entry;
        entry.classPackage = table.Compact();
        entry.className = table.Compact();
        entry.outer = table.I32();
        entry.objectName = table.Compact();
        // Checked together, so the message is only built for a bad entry.
        if (!NameInTable(entry.classPackage) || !NameInTable(entry.className) || !NameInTable(entry.objectName)
            || !RefInTables(entry.outer)) {
            const QString where = QStringLiteral("import %1").arg(i);
            CheckedName(entry.classPackage, where);
            CheckedName(entry.className, where);
            CheckedName(entry.objectName, where);
            CheckedRef(entry.outer, where);
        }
        return entry;
    });
}

void PackageFile::ReadExports(int32_t count, int32_t offset)
{
    const qsizetype fileSize = m_bytes.size();
    ReadTable(count, offset, QStringLiteral("the export table"), m_exports, [&](ByteCursor &table, int32_t i) {
        Export entry;
        entry.classRef = table.Compact();
        entry.superRef = table.Compact();
        entry.outer = table.I32();
        entry.objectName = table.Compact();
        entry.flags = table.U32();
        entry.serialSize = table.Compact();
        if (entry.serialSize < 0)
            table.Damaged(QStringLiteral("export %1 has a negative size (%2)").arg(i).arg(entry.serialSize));
        if (entry.serialSize > 0) {
            entry.serialOffset = table.Compact();
            if (entry.serialOffset < 0 || entry.serialOffset > fileSize - entry.serialSize)
                table.Damaged(QStringLiteral("the data of export %1 (%2 bytes at offset %3) lies outside the file")
                                  .arg(i)
                                  .arg(entry.serialSize)
                                  .arg(entry.serialOffset));
        }
        if (!RefInTables(entry.classRef) || !RefInTables(entry.superRef) || !RefInTables(entry.outer)
            || !NameInTable(entry.objectName)) {
            const QString where = QStringLiteral("export %1").arg(i);
            CheckedRef(entry.classRef, where);
            CheckedRef(entry.superRef, where);
            CheckedRef(entry.outer, where);
            CheckedName(entry.objectName, where);
        }
        return entry;
    });
}

// A reference above 0 is export ref - 1, one below 0 import -ref - 1.
int32_t PackageFile::NameOf(int32_t ref) const
{
    return ref > 0 ? m_exports[size_t(ref - 1)].objectName : m_imports[size_t(-int64_t(ref) - 1)].objectName;
}

int32_t PackageFile::OuterOf(int32_t ref) const
{
    return ref > 0 ? m_exports[size_t(ref - 1)].outer : m_imports[size_t(-int64_t(ref) - 1)].outer;
}

void PackageFile::CheckOuterChains() const
{
    // Every object's chain of outers must end at the package (reference 0).
    // Each object is walked once: 1 marks the chain being walked, 2 the
    // objects already known to end well.
    const size_t importCount = m_imports.size();
    std::vector<uint8_t> state(importCount + m_exports.size(), 0);
    const auto slot = [&](int32_t ref) { return ref > 0 ? importCount + size_t(ref - 1) : size_t(-int64_t(ref) - 1); };
    std::vector<int32_t> chain;
    const auto walk = [&](int32_t start) {
        chain.clear();
        for (int32_t ref = start; ref != 0; ref = OuterOf(ref)) {
            uint8_t &mark = state[slot(ref)];
            if (mark == 2)
                break;
            if (mark == 1)
                Damaged(QStringLiteral("the outer references of %1 %2 form a cycle")
                            .arg(start > 0 ? QStringLiteral("export") : QStringLiteral("import"))
                            .arg(start > 0 ? start - 1 : -int64_t(start) - 1));
            mark = 1;
            chain.push_back(ref);
        }
        for (int32_t ref : chain)
            state[slot(ref)] = 2;
    };
    for (size_t i = 0; i < importCount; ++i)
        walk(-int32_t(i) - 1);
    for (size_t i = 0; i < m_exports.size(); ++i)
        walk(int32_t(i) + 1);
}

QString PackageFile::Name(int index) const
{
    if (index < 0 || size_t(index) >= m_names.size())
        return QString();
    const NameSpan &span = m_names[size_t(index)];
    return QString::fromLatin1(m_bytes.constData() + span.offset, span.length);
}

bool PackageFile::NameIs(int index, const char *text) const
{
    if (index < 0 || size_t(index) >= m_names.size())
        return false;
    const NameSpan &span = m_names[size_t(index)];
    const qsizetype length = qsizetype(std::strlen(text));
    return span.length == length && qstrnicmp(m_bytes.constData() + span.offset, span.length, text, length) == 0;
}

QString PackageFile::ObjectName(int32_t ref) const
{
    if (ref == 0 || !(int64_t(ref) <= m_exportCount && -int64_t(ref) <= m_importCount))
        return QString();
    return Name(NameOf(ref));
}

QString PackageFile::ObjectClassName(int32_t ref) const
{
    if (ref > 0 && ref <= m_exportCount) {
        const int32_t classRef = m_exports[size_t(ref - 1)].classRef;
        return classRef == 0 ? QStringLiteral("Class") : ObjectName(classRef);
    }
    if (ref < 0 && -int64_t(ref) <= m_importCount)
        return Name(m_imports[size_t(-int64_t(ref) - 1)].className);
    return QString();
}

bool PackageFile::ClassIs(int32_t ref, const char *className) const
{
    return ref != 0 && NameIs(NameOf(ref), className);
}

QByteArrayView PackageFile::ExportData(int exportIndex) const
{
    if (exportIndex < 0 || size_t(exportIndex) >= m_exports.size())
        return {};
    const Export &entry = m_exports[size_t(exportIndex)];
    return QByteArrayView(m_bytes).sliced(entry.serialOffset, entry.serialSize);
}

void PackageFile::CollectClasses()
{
    // A class's source text is the text buffer "ScriptText" whose outer is
    // the class; the first one found for a class counts.
    std::vector<int32_t> scriptText(m_exports.size(), -1);
    for (size_t i = 0; i < m_exports.size(); ++i) {
        const Export &entry = m_exports[i];
        if (entry.outer > 0 && entry.serialSize > 0 && NameIs(entry.objectName, "ScriptText")
            && ClassIs(entry.classRef, "TextBuffer") && scriptText[size_t(entry.outer - 1)] < 0)
            scriptText[size_t(entry.outer - 1)] = int32_t(i);
    }

    for (size_t i = 0; i < m_exports.size(); ++i) {
        const Export &entry = m_exports[i];
        // Removed objects have size 0 (and the name None).
        if (entry.classRef != 0 || entry.outer != 0 || entry.serialSize <= 0)
            continue;
        PackageClass packageClass;
        packageClass.name = Name(entry.objectName);
        packageClass.exportIndex = int(i);
        packageClass.sourceExport = scriptText[i];
        packageClass.hasSource = scriptText[i] >= 0;
        if (entry.superRef != 0) {
            packageClass.parent = ObjectName(entry.superRef);
            if (entry.superRef > 0) {
                packageClass.parentPackage = m_packageName;
            } else {
                // The outermost object of the import's chain is its package
                // (chains were checked to end, so this walk does).
                int32_t top = entry.superRef;
                while (OuterOf(top) != 0)
                    top = OuterOf(top);
                if (top > 0)
                    packageClass.parentPackage = m_packageName;
                else if (top != entry.superRef)
                    packageClass.parentPackage = ObjectName(top);
            }
        }
        m_classes.append(packageClass);
    }
}

const PackageClass *PackageFile::FindClass(const QString &name) const
{
    for (const PackageClass &packageClass : m_classes)
        if (packageClass.name.compare(name, Qt::CaseInsensitive) == 0)
            return &packageClass;
    return nullptr;
}

std::optional<QString> PackageFile::SourceText(const PackageClass &packageClass) const
{
    if (packageClass.sourceExport < 0 || size_t(packageClass.sourceExport) >= m_exports.size())
        return std::nullopt;
    const Export &buffer = m_exports[size_t(packageClass.sourceExport)];
    ByteCursor data(m_bytes, buffer.serialOffset, qsizetype(buffer.serialOffset) + buffer.serialSize, m_fileName,
                    QStringLiteral("the source text of class %1").arg(packageClass.name));
    // The text buffer's property list is empty: the name None alone.
    if (!NameIs(data.Compact(), "None"))
        data.Damaged(QStringLiteral("the source text of class %1 does not start as a text buffer")
                         .arg(packageClass.name));
    data.I32();   // Pos
    data.I32();   // Top
    const int32_t length = data.Compact();
    if (length == 0)
        return QString();
    QString text;
    if (length > 0) {
        // 8-bit text, the length counting the terminating NUL.
        QByteArrayView bytes = data.Take(length);
        if (bytes.endsWith('\0'))
            bytes.chop(1);
        text = QString::fromLatin1(bytes);
    } else {
        // A negative length: that many UTF-16 code units, the NUL included.
        const int64_t units = -int64_t(length);
        if (units > data.Left() / 2)
            data.Damaged(QStringLiteral("the source text of class %1 is cut short").arg(packageClass.name));
        const QByteArrayView bytes = data.Take(qsizetype(units) * 2);
        text.resize(qsizetype(units));
        for (qsizetype i = 0; i < units; ++i)
            text[i] = QChar(char16_t(uint8_t(bytes[2 * i]) | (uint8_t(bytes[2 * i + 1]) << 8)));
        if (text.endsWith(QChar(0)))
            text.chop(1);
    }
    return text;
}

} // namespace kelvarin
