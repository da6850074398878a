#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

namespace kelvarin {

// File contents are bytes of the 8-bit code page, read and written as Latin-1
// so that no byte is ever re-encoded. Files that begin with a UTF-16 or UTF-8
// byte-order mark are decoded accordingly and written back the same way.
enum class TextEncoding { Latin1, Utf8Bom, Utf16LE, Utf16BE };

namespace TextFile {

// Decodes raw bytes, detecting (and dropping) a byte-order mark.
QString Decode(const QByteArray &bytes, TextEncoding *encoding = nullptr);
QByteArray Encode(const QString &text, TextEncoding encoding);

// True when bytes begin with a byte-order mark that Decode recognises.
bool HasByteOrderMark(const QByteArray &bytes);

// Reads a whole file's bytes as they stand; nullopt when it cannot be opened.
std::optional<QByteArray> ReadRaw(const QString &specPath);
// Reads and decodes a whole file; nullopt when it cannot be opened.
std::optional<QString> ReadAll(const QString &specPath, TextEncoding *encoding = nullptr);

// Splits text into lines ending at CR, LF or CR LF. A final line end does not
// start another line; text after the last line end is a line.
QStringList SplitLines(const QString &text);

namespace Detail {
inline const char16_t *Units(QStringView text) { return text.utf16(); }
inline const char *Units(QLatin1StringView text) { return text.data(); }
} // namespace Detail

// Hands each line, cut as SplitLines cuts them, to take(QStringView) without
// copying it. The same for Latin-1 text, whose lines are QLatin1StringView.
template <typename View, typename Take>
void ForEachLine(View text, Take &&take)
{
    const auto *units = Detail::Units(text);
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const auto c = units[i];
        if (c == '\r' || c == '\n') {
            take(text.sliced(start, i - start));
            if (c == '\r' && i + 1 < size && units[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < size)
        take(text.sliced(start));
}

template <typename Take>
void ForEachLine(const QString &text, Take &&take)
{
    ForEachLine(QStringView(text), std::forward<Take>(take));
}

// Hands each line of a file's bytes, decoded as Decode decodes them, to
// take: a QLatin1StringView each for a file without a byte-order mark (the
// whole text is never decoded at once), a QStringView each otherwise.
template <typename Take>
void ForEachLineOfBytes(const QByteArray &bytes, Take &&take)
{
    if (HasByteOrderMark(bytes)) {
        const QString text = Decode(bytes);
        ForEachLine(QStringView(text), std::forward<Take>(take));
    } else {
        ForEachLine(QLatin1StringView(bytes), std::forward<Take>(take));
    }
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
