#include "StandinPackage.h"

#include <QFile>
#include <QFileInfo>

namespace kelvarin::Standin {

namespace {

constexpr char kMagicLine[] = "KelvarinStandinPackage 1";
const QByteArray kGameMagic("\xC1\x83\x2A\x9E", 4);

// Reads one LF-ended line starting at pos; false when there is no LF.
bool TakeLine(const QByteArray &bytes, qsizetype &pos, QByteArray &line)
{
    const qsizetype end = bytes.indexOf('\n', pos);
    if (end < 0)
        return false;
    line = bytes.mid(pos, end - pos);
    pos = end + 1;
    return true;
}

bool ParseCount(const QByteArray &text, qint64 *value)
{
    if (text.isEmpty() || text.size() > 12)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    *value = text.toLongLong();
    return true;
}

} // namespace

QByteArray SerializePackage(const StandinPackage &package)
{
    QByteArray bytes = kMagicLine;
    bytes += '\n';
    bytes += "package " + package.name.toUtf8() + '\n';
    bytes += "classes " + QByteArray::number(package.classes.size()) + '\n';
    for (const PackedClass &packed : package.classes) {
        bytes += "class " + packed.name.toUtf8() + ' '
            + (packed.parent.isEmpty() ? QByteArray("-") : packed.parent.toUtf8()) + ' '
            + QByteArray::number(packed.source.size()) + '\n';
        bytes += packed.source;
        bytes += '\n';
    }
    bytes += "end\n";
    return bytes;
}

PackageKind ReadPackage(const QString &nativePath, StandinPackage *package)
{
    if (QFileInfo(nativePath).isDir())
        return PackageKind::Unreadable;
    QFile file(nativePath);
    if (!file.open(QIODevice::ReadOnly))
        return PackageKind::Unreadable;
    const QByteArray bytes = file.readAll();
    if (bytes.startsWith(kGameMagic))
        return PackageKind::GamePackage;
    if (!bytes.startsWith(QByteArray(kMagicLine) + '\n'))
        return PackageKind::Unknown;

    qsizetype pos = 0;
    QByteArray line;
    TakeLine(bytes, pos, line);
    StandinPackage read;
    if (!TakeLine(bytes, pos, line) || !line.startsWith("package "))
        return PackageKind::Damaged;
    read.name = QString::fromUtf8(line.mid(8));
    qint64 count = 0;
    if (!TakeLine(bytes, pos, line) || !line.startsWith("classes ") || !ParseCount(line.mid(8), &count))
        return PackageKind::Damaged;
    for (qint64 i = 0; i < count; ++i) {
        if (!TakeLine(bytes, pos, line) || !line.startsWith("class "))
            return PackageKind::Damaged;
        const QList<QByteArray> fields = line.mid(6).split(' ');
        qint64 size = 0;
        if (fields.size() != 3 || fields.at(0).isEmpty() || !ParseCount(fields.at(2), &size)
            || size > bytes.size() - pos - 1)
            return PackageKind::Damaged;
        PackedClass packed;
        packed.name = QString::fromUtf8(fields.at(0));
        if (fields.at(1) != "-")
            packed.parent = QString::fromUtf8(fields.at(1));
        packed.source = bytes.mid(pos, size);
        pos += size;
        if (bytes.at(pos) != '\n')
            return PackageKind::Damaged;
        ++pos;
        read.classes.append(packed);
    }
    if (!TakeLine(bytes, pos, line) || line != "end" || pos != bytes.size())
        return PackageKind::Damaged;
    if (package)
        *package = std::move(read);
    return PackageKind::Standin;
}

} // namespace kelvarin::Standin
