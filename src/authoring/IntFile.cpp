#include "authoring/IntFile.h"

#include "model/TextRules.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/SpecPath.h"
#include "platform/StagedFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace kelvarin::IntFile {

namespace {

KelvarinError CannotOpen(const QString &specPath)
{
    return KelvarinError(QStringLiteral("Cannot open file %1").arg(SpecPath::Display(specPath)));
}

KelvarinError CannotCreate(const QString &specPath)
{
    return KelvarinError(QStringLiteral("Cannot create file %1").arg(SpecPath::Display(specPath)));
}

qsizetype MarkSize(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Latin1:
        return 0;
    case TextEncoding::Utf8Bom:
        return 3;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return 2;
    }
    return 0;
}

bool IsUtf16(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE;
}

// The encoding named by the byte-order mark at the start, Latin-1 without one.
TextEncoding EncodingOf(const QByteArray &bytes)
{
    TextEncoding encoding = TextEncoding::Latin1;
    TextFile::Decode(bytes.left(3), &encoding);
    return encoding;
}

// The lines of body (the bytes after the mark), each as the byte range of its
// text and the byte range of its text with its line end (CR, LF or CR LF).
struct RawLine
{
    qsizetype start = 0;
    qsizetype textEnd = 0;
    qsizetype end = 0;
};

QList<RawLine> SplitRaw(const QByteArray &body, TextEncoding encoding)
{
    const qsizetype unit = IsUtf16(encoding) ? 2 : 1;
    const auto *data = reinterpret_cast<const unsigned char *>(body.constData());
    auto codeAt = [&](qsizetype at) -> unsigned {
        if (unit == 1)
            return data[at];
        return encoding == TextEncoding::Utf16LE ? unsigned(data[at] | (data[at + 1] << 8))
                                                 : unsigned((data[at] << 8) | data[at + 1]);
    };
    QList<RawLine> lines;
    const qsizetype size = body.size() - body.size() % unit;
    qsizetype start = 0;
    for (qsizetype at = 0; at < size; at += unit) {
        const unsigned code = codeAt(at);
        if (code != '\r' && code != '\n')
            continue;
        RawLine line{start, at, at + unit};
        if (code == '\r' && at + unit < size && codeAt(at + unit) == '\n')
            line.end += unit;
        lines.append(line);
        at = line.end - unit;
        start = line.end;
    }
    if (start < body.size())
        lines.append(RawLine{start, body.size(), body.size()});
    return lines;
}

// Decodes one line's bytes; false when they are not text of that encoding.
bool DecodeLine(const QByteArray &bytes, TextEncoding encoding, QString *text)
{
    switch (encoding) {
    case TextEncoding::Latin1:
        *text = QString::fromLatin1(bytes);
        return true;
    case TextEncoding::Utf8Bom: {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        *text = decoder.decode(bytes);
        return !decoder.hasError();
    }
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
        const QByteArray marked = (encoding == TextEncoding::Utf16LE ? QByteArray("\xFF\xFE", 2)
                                                                      : QByteArray("\xFE\xFF", 2))
            + bytes;
        *text = TextFile::Decode(marked);
        return true;
    }
    }
    return false;
}

// Encodes text without a byte-order mark.
QByteArray EncodeBody(const QString &text, TextEncoding encoding)
{
    return TextFile::Encode(text, encoding).mid(MarkSize(encoding));
}

} // namespace

QString PathFor(const QString &baseDir, const QString &package)
{
    return baseDir + QLatin1String("\\System\\") + package + QLatin1String(".int");
}

bool IsPublicHeader(const QString &line)
{
    return UpperCase(Trim(line)) == QLatin1String("[PUBLIC]");
}

bool IsSectionHeader(const QString &line)
{
    const QString trimmed = Trim(line);
    return trimmed.size() >= 2 && trimmed.startsWith(QLatin1Char('['))
        && trimmed.endsWith(QLatin1Char(']'));
}

IntFileContent Read(const QString &specPath)
{
    IntFileContent content;
    if (!FileSystem::FileExists(specPath))
        return content;
    QFile file(SpecPath::ToNative(specPath));
    if (!file.open(QIODevice::ReadOnly))
        throw CannotOpen(specPath);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw CannotOpen(specPath);
    content.exists = true;
    content.encoding = EncodingOf(bytes);
    const QByteArray body = bytes.mid(MarkSize(content.encoding));

    // Rewriting such files as 8-bit text or with a broken last character
    // would destroy them: refuse to read rather than lose data on Finish.
    if (IsUtf16(content.encoding) ? body.size() % 2 != 0 : body.contains('\0'))
        throw CannotOpen(specPath);

    bool inPublic = true;   // lines before the first header count as [Public]
    for (const RawLine &raw : SplitRaw(body, content.encoding)) {
        const QByteArray textBytes = body.mid(raw.start, raw.textEnd - raw.start);
        QString text;
        const bool decoded = DecodeLine(textBytes, content.encoding, &text);
        if (decoded && IsSectionHeader(text)) {
            inPublic = IsPublicHeader(text);
            if (inPublic)
                continue;
        }
        if (inPublic) {
            if (!decoded)
                throw CannotOpen(specPath);
            content.publicLines.append(text);
        } else {
            content.otherSections.append(body.mid(raw.start, raw.end - raw.start));
        }
    }
    return content;
}

bool CanHold(TextEncoding encoding, const QString &line)
{
    for (QChar c : line) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c.unicode() == 0)
            return false;
    }
    switch (encoding) {
    case TextEncoding::Latin1:
        for (QChar c : line)
            if (c.unicode() > 0xFF)
                return false;
        return true;
    case TextEncoding::Utf8Bom:
        return QString::fromUtf8(line.toUtf8()) == line;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return true;
    }
    return false;
}

void Write(const QString &specPath, const QStringList &lines)
{
    // The other sections are taken from the file as it is now, so edits made
    // there since the wizard was shown are kept too.
    const IntFileContent present = Read(specPath);
    for (const QString &line : lines) {
        if (!CanHold(present.encoding, line))
            throw KelvarinError(
                QStringLiteral("The line \"%1\" cannot be written to %2: the file's encoding cannot hold it.")
                    .arg(line, SpecPath::Display(specPath)));
    }
    QString text;
    for (const QString &line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    QByteArray bytes = TextFile::Encode(QString(), present.encoding);   // the mark alone
    bytes += EncodeBody(text, present.encoding);
    bytes += present.otherSections;

    const QString native = SpecPath::ToNative(specPath);
    if (QFileInfo(native).isDir())
        throw CannotCreate(specPath);
    const bool ok = StagedFile::WriteFile(native, bytes);
    SpecPath::ForgetListings();
    if (!ok)
        throw CannotCreate(specPath);
}

} // namespace kelvarin::IntFile
