#pragma once

#include <QByteArray>
#include <QString>

namespace kelvarin::test {

// Text as UTF-16 with its byte order mark, code unit by code unit, so that
// unpaired surrogates reach the file as they are.
inline QByteArray Utf16WithMark(const QString &text, bool littleEndian)
{
    QByteArray bytes(littleEndian ? "\xff\xfe" : "\xfe\xff");
    for (QChar c : text) {
        const char lo = char(c.unicode() & 0xff);
        const char hi = char(c.unicode() >> 8);
        bytes.append(littleEndian ? lo : hi).append(littleEndian ? hi : lo);
    }
    return bytes;
}

// Text as UTF-8 with its byte order mark.
inline QByteArray Utf8WithMark(const QString &text)
{
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace kelvarin::test
