#include "model/EditPackagesFile.h"

#include "model/TextRules.h"
#include "platform/Errors.h"
#include "platform/Prompter.h"
#include "platform/SpecPath.h"
#include "platform/TextFile.h"

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

QStringList EditPackagesFile::ReadLines(int *encoding)
{
    TextEncoding found = TextEncoding::Latin1;
    const std::optional<QString> text = TextFile::ReadAll(Path(), &found);
    if (!text)
        throw KelvarinError(QStringLiteral("Cannot open file %1").arg(SpecPath::Display(Path())));
    if (encoding)
        *encoding = int(found);
    return TextFile::SplitLines(*text);
}

void EditPackagesFile::ReadEditPackagesList(QStringList &list)
{
    const QStringList lines = ReadLines(nullptr);
    qsizetype at = 0;
    while (at < lines.size() && !IsSectionHeader(Trim(lines.at(at))))
        ++at;
    if (at == lines.size()) {
        m_prompter.Error(QStringLiteral("Unable to locate [Editor.EditorEngine] section."));
        return;
    }
    for (++at; at < lines.size(); ++at) {
        const QString stripped = Trim(lines.at(at));
        if (stripped.startsWith(QLatin1Char('[')))
            break;
        QString value;
        if (IsEditPackagesLine(stripped, &value))
            list.append(value);
    }
}

void EditPackagesFile::WriteEditPackagesList(const QStringList &list)
{
    int encodingValue = 0;
    const QStringList lines = ReadLines(&encodingValue);
    const auto encoding = TextEncoding(encodingValue);
    if (!TextFile::WriteLines(BackupPath(), lines, encoding))
        throw KelvarinError(QStringLiteral("Cannot create file %1").arg(SpecPath::Display(BackupPath())));

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
}

} // namespace kelvarin
