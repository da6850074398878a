#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace kelvarin {

// File contents are bytes of the 8-bit code page, read and written as Latin-1
// so that no byte is ever re-encoded. Files that begin with a UTF-16 or UTF-8
// byte-order mark are decoded accordingly and written back the same way.
enum class TextEncoding { Latin1, Utf8Bom, Utf16LE, Utf16BE };

namespace TextFile {

// Decodes raw bytes, detecting (and dropping) a byte-order mark.
QString Decode(const QByteArray &bytes, TextEncoding *encoding = nullptr);
QByteArray Encode(const QString &text, TextEncoding encoding);

// Reads and decodes a whole file; nullopt when it cannot be opened.
std::optional<QString> ReadAll(const QString &specPath, TextEncoding *encoding = nullptr);

// Splits text into lines ending at CR, LF or CR LF. A final line end does not
// start another line; text after the last line end is a line.
QStringList SplitLines(const QString &text);

// Hands each line, cut as SplitLines cuts them, to take(QStringView) without
// copying it.
template <typename Take>
void ForEachLine(QStringView text, Take &&take)
{
    const char16_t *units = text.utf16();
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = units[i];
        if (c == u'\r' || c == u'\n') {
            take(text.sliced(start, i - start));
            if (c == u'\r' && i + 1 < size && units[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < size)
        take(text.sliced(start));
}

// Splits text into lines, then cuts each line longer than pieceSize into
// pieces of pieceSize characters, each taken as a line of its own (the
// behaviour of a bounded line buffer).
QStringList SplitPieces(const QString &text, int pieceSize);

// Writes the bytes through a temporary file that is renamed into place, so a
// crash or a full disk never leaves half a file. Returns false when the file
// cannot be created or written.
bool WriteBytes(const QString &specPath, const QByteArray &bytes);

// Writes every line followed by CR LF, as WriteBytes does.
bool WriteLines(const QString &specPath, const QStringList &lines,
                TextEncoding encoding = TextEncoding::Latin1);

} // namespace TextFile
} // namespace kelvarin
