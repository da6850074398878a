#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>

namespace kelvarin {

// Reads the little-endian fields of a compiled package within one range of
// its bytes (the whole file, a table, one object's data). Every read is
// checked against the end of the range first: a field that does not fit,
// or a compact index that breaks its rules, raises the package's "damaged"
// error naming the file and what was being read.
class ByteCursor
{
public:
    // what names the part being read, for messages ("the name table").
    ByteCursor(QByteArrayView bytes, qsizetype begin, qsizetype end, const QString &fileName, const QString &what);

    qsizetype Pos() const { return m_pos; }
    qsizetype Left() const { return m_end - m_pos; }
    void Seek(qsizetype pos);

    uint8_t U8();
    uint16_t U16();
    int32_t I32();
    uint32_t U32();
    int64_t I64();
    // A signed compact index: 1 to 5 bytes, the first with the sign and a
    // "more" bit above 6 value bits, the others with a "more" bit above 7.
    int32_t Compact();
    // count bytes, checked to be there; the view lives as long as the bytes.
    QByteArrayView Take(qsizetype count);
    void Skip(qsizetype count) { Take(count); }

    // Raises the damaged-package error for this file with the given detail.
    [[noreturn]] void Damaged(const QString &detail) const;

private:
    void Need(qsizetype count) const;

    QByteArrayView m_bytes;
    qsizetype m_pos;
    qsizetype m_end;
    const QString &m_fileName;
    QString m_what;
};

// The message of a package that cannot be read because its bytes break the
// format: "<file> is damaged: <detail>".
[[noreturn]] void ThrowDamagedPackage(const QString &fileName, const QString &detail);

} // namespace kelvarin
