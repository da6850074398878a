#include "package/ByteCursor.h"

#include "platform/Errors.h"

#include <cstring>

namespace kelvarin {

void ThrowDamagedPackage(const QString &fileName, const QString &detail)
{
    throw KelvarinError(QStringLiteral("%1 is damaged: %2").arg(fileName, detail));
}

ByteCursor::ByteCursor(QByteArrayView bytes, qsizetype begin, qsizetype end, const QString &fileName,
                       const QString &what)
    : m_bytes(bytes), m_pos(begin), m_end(end), m_fileName(fileName), m_what(what)
{
    if (begin < 0 || end < begin || end > bytes.size())
        Damaged(QStringLiteral("%1 lies outside the file").arg(m_what));
}

void ByteCursor::Damaged(const QString &detail) const
{
    ThrowDamagedPackage(m_fileName, detail);
}

void ByteCursor::Need(qsizetype count) const
{
    if (count < 0 || count > m_end - m_pos)
        Damaged(QStringLiteral("%1 is cut short at offset %2").arg(m_what).arg(m_pos));
}

void ByteCursor::Seek(qsizetype pos)
{
    if (pos < 0 || pos > m_end)
        Damaged(QStringLiteral("%1 points to offset %2, past its end").arg(m_what).arg(pos));
    m_pos = pos;
}

QByteArrayView ByteCursor::Take(qsizetype count)
{
    Need(count);
    const QByteArrayView view = m_bytes.sliced(m_pos, count);
    m_pos += count;
    return view;
}

uint8_t ByteCursor::U8()
{
    Need(1);
    return uint8_t(m_bytes[m_pos++]);
}

uint16_t ByteCursor::U16()
{
    Need(2);
    const auto *p = reinterpret_cast<const unsigned char *>(m_bytes.data() + m_pos);
    m_pos += 2;
    return uint16_t(p[0] | (p[1] << 8));
}

uint32_t ByteCursor::U32()
{
    Need(4);
    const auto *p = reinterpret_cast<const unsigned char *>(m_bytes.data() + m_pos);
    m_pos += 4;
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

int32_t ByteCursor::I32()
{
    return int32_t(U32());
}

int64_t ByteCursor::I64()
{
    const uint64_t low = U32();
    const uint64_t high = U32();
    return int64_t(low | (high << 32));
}

int32_t ByteCursor::Compact()
{
    const qsizetype start = m_pos;
    const uint8_t first = U8();
    int64_t value = first & 0x3F;
    if (first & 0x40) {
        int shift = 6;
        for (int extra = 1;; ++extra) {
            if (extra == 5)
                Damaged(QStringLiteral("%1 holds a compact index longer than 5 bytes at offset %2")
                            .arg(m_what).arg(start));
            const uint8_t next = U8();
            value |= int64_t(next & 0x7F) << shift;
            shift += 7;
            if (!(next & 0x80))
                break;
        }
    }
    // Five bytes carry 34 bits; an index is a 32-bit integer.
    if (value > int64_t(INT32_MAX) + ((first & 0x80) ? 1 : 0))
        Damaged(QStringLiteral("%1 holds a compact index too large for 32 bits at offset %2").arg(m_what).arg(start));
    return int32_t((first & 0x80) ? -value : value);
}

} // namespace kelvarin
