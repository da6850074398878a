#include "model/EditPackagesFile.h"

#include "model/TextRules.h"
#include "platform/Errors.h"
#include "platform/Prompter.h"
#include "platform/SpecPath.h"
#include "platform/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

QStringList EditPackagesFile::ReadLines(int *encoding, QByteArray *bytes)
{
    const QString native = SpecPath::ToNative(Path());
    QFile file(native);
    if (QFileInfo(native).isDir() || !file.open(QIODevice::ReadOnly))
        throw KelvarinError(QStringLiteral("Cannot open file %1").arg(SpecPath::Display(Path())));
    const QByteArray content = file.readAll();
    TextEncoding found = TextEncoding::Latin1;
    const QString text = TextFile::Decode(content, &found);
    // UTF-16 without a byte-order mark cannot be told from Latin-1 except by
    // its NUL bytes; read as Latin-1 its lines would be rewritten in pieces.
    if (found != TextEncoding::Utf16LE && found != TextEncoding::Utf16BE && content.contains('\0'))
        throw KelvarinError(QStringLiteral("Cannot open file %1").arg(SpecPath::Display(Path())));
    if (encoding)
        *encoding = int(found);
    if (bytes)
        *bytes = content;
    return TextFile::SplitLines(text);
}

bool EditPackagesFile::ReadEditPackagesList(QStringList &list)
{
    const QStringList lines = ReadLines(nullptr);
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
    QByteArray original;
    const QStringList lines = ReadLines(&encodingValue, &original);
    const auto encoding = TextEncoding(encodingValue);
    const QFile::Permissions permissions = QFileInfo(SpecPath::ToNative(Path())).permissions();
    // The backup is the user's file exactly as it was.
    {
        const QString backup = SpecPath::ToNative(BackupPath());
        QSaveFile file(backup);
        if (!file.open(QIODevice::WriteOnly) || file.write(original) != original.size() || !file.commit())
            throw KelvarinError(QStringLiteral("Cannot create file %1").arg(SpecPath::Display(BackupPath())));
        QFile::setPermissions(backup, permissions);
        SpecPath::ForgetListings();
    }

    QStringList result;
    result.reserve(lines.size() + list.size());
    qsizetype at = 0;
    // Up to and including the section header.
    for (; at < lines.size(); ++at) {
        const QString stripped = Trim(lines.at(at));
        result.append(stripped);
        if (IsSectionHeader(stripped)) {
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
                    result.append(QStringLiteral("EditPackages=") + entry);
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

    if (!TextFile::WriteLines(Path(), result, encoding))
        throw KelvarinError(QStringLiteral("Cannot create file %1").arg(SpecPath::Display(Path())));
    QFile::setPermissions(SpecPath::ToNative(Path()), permissions);
}

} // namespace kelvarin
