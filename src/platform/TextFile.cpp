#include "platform/TextFile.h"

#include "platform/SpecPath.h"
#include "platform/StagedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kelvarin::TextFile {

QString Decode(const QByteArray &bytes, TextEncoding *encoding)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype size = bytes.size();
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        if (encoding)
            *encoding = TextEncoding::Utf16LE;
        const qsizetype units = (size - 2) / 2;
        QString text(units, Qt::Uninitialized);
        for (qsizetype i = 0; i < units; ++i)
            text[i] = QChar(char16_t(data[2 + 2 * i] | (data[3 + 2 * i] << 8)));
        return text;
    }
    if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF) {
        if (encoding)
            *encoding = TextEncoding::Utf16BE;
        const qsizetype units = (size - 2) / 2;
        QString text(units, Qt::Uninitialized);
        for (qsizetype i = 0; i < units; ++i)
            text[i] = QChar(char16_t((data[2 + 2 * i] << 8) | data[3 + 2 * i]));
        return text;
    }
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
        if (encoding)
            *encoding = TextEncoding::Utf8Bom;
        return QString::fromUtf8(bytes.constData() + 3, size - 3);
    }
    if (encoding)
        *encoding = TextEncoding::Latin1;
    return QString::fromLatin1(bytes);
}

QByteArray Encode(const QString &text, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Latin1:
        return text.toLatin1();
    case TextEncoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
        const bool little = encoding == TextEncoding::Utf16LE;
        QByteArray bytes;
        bytes.reserve(2 + 2 * text.size());
        bytes.append(little ? "\xFF\xFE" : "\xFE\xFF", 2);
        for (QChar c : text) {
            const char16_t u = c.unicode();
            const char lo = char(u & 0xFF);
            const char hi = char(u >> 8);
            bytes.append(little ? lo : hi);
            bytes.append(little ? hi : lo);
        }
        return bytes;
    }
    }
    return text.toLatin1();
}

bool HasByteOrderMark(const QByteArray &bytes)
{
    TextEncoding encoding = TextEncoding::Latin1;
    Decode(bytes.left(3), &encoding);
    return encoding != TextEncoding::Latin1;
}

std::optional<QByteArray> ReadRaw(const QString &specPath)
{
    const QString native = SpecPath::ToNative(specPath);
    if (QFileInfo(native).isDir())
        return std::nullopt;
    QFile file(native);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

std::optional<QString> ReadAll(const QString &specPath, TextEncoding *encoding)
{
    std::optional<QByteArray> bytes = ReadRaw(specPath);
    if (!bytes)
        return std::nullopt;
    return Decode(*bytes, encoding);
}

QStringList SplitLines(const QString &text)
{
    QStringList lines;
    ForEachLine(text, [&lines](QStringView line) { lines.append(line.toString()); });
    return lines;
}

QStringList SplitPieces(const QString &text, int pieceSize)
{
    const QStringList lines = SplitLines(text);
    if (pieceSize <= 0)
        return lines;
    QStringList pieces;
    pieces.reserve(lines.size());
    for (const QString &line : lines) {
        if (line.size() <= pieceSize) {
            pieces.append(line);
            continue;
        }
        for (qsizetype at = 0; at < line.size(); at += pieceSize)
            pieces.append(line.mid(at, pieceSize));
    }
    return pieces;
}

bool WriteBytes(const QString &specPath, const QByteArray &bytes)
{
    const bool ok = StagedFile::WriteFile(SpecPath::ToNative(specPath), bytes);
    SpecPath::ForgetListings();
    return ok;
}

bool WriteLines(const QString &specPath, const QStringList &lines, TextEncoding encoding)
{
    QString text;
    qsizetype total = 0;
    for (const QString &line : lines)
        total += line.size() + 2;
    text.reserve(total);
    for (const QString &line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return WriteBytes(specPath, Encode(text, encoding));
}

} // namespace kelvarin::TextFile
