#include "model/EditPackagesFile.h"

#include "model/TextRules.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/Prompter.h"
#include "platform/SpecPath.h"
#include "platform/TextFile.h"

#include <QFile>
#include <QFileInfo>

namespace kelvarin {

namespace {

const QLatin1String kSection("[EDITOR.EDITORENGINE]");

bool IsSectionHeader(const QString &stripped)
{
    return stripped.startsWith(QLatin1Char('[')) && UpperCase(stripped) == kSection;
}

} // namespace

EditPackagesFile::EditPackagesFile(const QString &baseDir, Prompter &prompter)
    : m_baseDir(baseDir), m_prompter(prompter)
{
}

QString EditPackagesFile::Path() const
{
    return m_baseDir + QLatin1String("\\System\\UnrealTournament.ini");
}

bool EditPackagesFile::HasGameConfiguration(const QString &baseDir)
{
    return FileSystem::FileExists(baseDir + QLatin1String("\\System\\UnrealTournament.ini"));
}

QString EditPackagesFile::BackupPath() const
{
    return Path() + QLatin1String("_Backup");
}

bool EditPackagesFile::IsEditPackagesLine(const QString &stripped, QString *value)
{
    const qsizetype equals = stripped.indexOf(QLatin1Char('='));
    if (equals != 12 || UpperCase(stripped.left(12)) != QLatin1String("EDITPACKAGES"))
        return false;
    if (value)
        *value = stripped.mid(13);
    return true;
}

QByteArray EditPackagesFile::ReadBytes(int *encoding)
{
    const QString native = SpecPath::ToNative(Path());
    QFile file(native);
    if (QFileInfo(native).isDir() || !file.open(QIODevice::ReadOnly))
        throw KelvarinError(QStringLiteral("Cannot open file %1").arg(SpecPath::Display(Path())));
    const QByteArray content = file.readAll();
    TextEncoding found = TextEncoding::Latin1;
    TextFile::Decode(content.left(3), &found);
    const bool utf16 = found == TextEncoding::Utf16LE || found == TextEncoding::Utf16BE;
    // UTF-16 without a byte-order mark cannot be told from Latin-1 except by
    // its NUL bytes; read as Latin-1 its lines would be rewritten in pieces.
    // UTF-16 with an odd number of bytes would lose its last one.
    if (utf16 ? content.size() % 2 != 0 : content.contains('\0'))
        throw KelvarinError(QStringLiteral("Cannot open file %1").arg(SpecPath::Display(Path())));
    *encoding = int(found);
    return content;
}

namespace {

// The file as one character per code unit of its encoding: after a UTF-8
// mark each byte stays a character of its own, so that bytes that are no
// UTF-8 come back unchanged; Latin-1 and UTF-16 decode one unit each anyway.
// Line ends, blanks and the ASCII names looked for are the same in every form.
QString Units(const QByteArray &content, TextEncoding encoding)
{
    if (encoding == TextEncoding::Utf8Bom)
        return QString::fromLatin1(content.mid(3));
    return TextFile::Decode(content);
}

QString ToUnits(const QString &text, TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8Bom ? QString::fromLatin1(text.toUtf8()) : text;
}

QByteArray FromUnits(const QString &units, TextEncoding encoding)
{
    if (encoding == TextEncoding::Utf8Bom)
        return QByteArray("\xEF\xBB\xBF") + units.toLatin1();
    return TextFile::Encode(units, encoding);
}

} // namespace

bool EditPackagesFile::ReadEditPackagesList(QStringList &list)
{
    int encoding = 0;
    const QStringList lines = TextFile::SplitLines(TextFile::Decode(ReadBytes(&encoding)));
    qsizetype at = 0;
    while (at < lines.size() && !IsSectionHeader(Trim(lines.at(at))))
        ++at;
    if (at == lines.size()) {
        m_prompter.Error(QStringLiteral("Unable to locate [Editor.EditorEngine] section."));
        return false;
    }
    for (++at; at < lines.size(); ++at) {
        const QString stripped = Trim(lines.at(at));
        if (stripped.startsWith(QLatin1Char('[')))
            break;
        QString value;
        if (IsEditPackagesLine(stripped, &value))
            list.append(value);
    }
    return true;
}

void EditPackagesFile::WriteEditPackagesList(const QStringList &list)
{
    int encodingValue = 0;
    const QByteArray original = ReadBytes(&encodingValue);
    const auto encoding = TextEncoding(encodingValue);
    const QStringList lines = TextFile::SplitLines(Units(original, encoding));
    const QFile::Permissions permissions = QFileInfo(SpecPath::ToNative(Path())).permissions();
    // The backup is the user's file exactly as it was.
    if (!TextFile::WriteBytes(BackupPath(), original))
        throw KelvarinError(QStringLiteral("Cannot create file %1").arg(SpecPath::Display(BackupPath())));
    QFile::setPermissions(SpecPath::ToNative(BackupPath()), permissions);

    QStringList result;
    result.reserve(lines.size() + list.size());
    qsizetype at = 0;
    // Up to and including the section header. A second UTF-8 mark right
    // after the file's own is dropped by a reader, so the first line is
    // matched without it (and written back with it).
    const QString markUnits = QString::fromLatin1("\xEF\xBB\xBF");
    for (; at < lines.size(); ++at) {
        const QString stripped = Trim(lines.at(at));
        result.append(stripped);
        const bool marked = at == 0 && encoding == TextEncoding::Utf8Bom && lines.at(0).startsWith(markUnits);
        if (IsSectionHeader(marked ? Trim(lines.at(0).mid(3)) : stripped)) {
            ++at;
            break;
        }
    }
    // The section: EditPackages lines give way to the list, at the first one.
    bool written = false;
    for (; at < lines.size(); ++at) {
        const QString stripped = Trim(lines.at(at));
        if (IsEditPackagesLine(stripped)) {
            if (!written) {
                for (const QString &entry : list)
                    result.append(QStringLiteral("EditPackages=") + ToUnits(entry, encoding));
                written = true;
            }
            continue;
        }
        result.append(stripped);
        if (stripped.startsWith(QLatin1Char('['))) {
            ++at;
            break;
        }
    }
    for (; at < lines.size(); ++at)
        result.append(Trim(lines.at(at)));

    const auto bytesOf = [&] {
        QString units;
        for (const QString &line : std::as_const(result))
            units += line + QLatin1String("\r\n");
        return FromUnits(units, encoding);
    };
    QByteArray bytes = bytesOf();
    // Stripping the first line must not leave a byte-order mark at the start
    // of a file without one: the file would then read as another encoding.
    // Nor a second UTF-8 mark right after the file's own: a reader drops
    // that with the first. That line is kept as it was.
    const bool latin1Mark = encoding == TextEncoding::Latin1
        && (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") || bytes.startsWith("\xEF\xBB\xBF"));
    const bool secondMark = encoding == TextEncoding::Utf8Bom && bytes.mid(3).startsWith("\xEF\xBB\xBF");
    if (!lines.isEmpty() && (latin1Mark || secondMark)) {
        result[0] = lines.first();
        bytes = bytesOf();
    }
    if (!TextFile::WriteBytes(Path(), bytes))
        throw KelvarinError(QStringLiteral("Cannot create file %1").arg(SpecPath::Display(Path())));
    QFile::setPermissions(SpecPath::ToNative(Path()), permissions);
}

} // namespace kelvarin
