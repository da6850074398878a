#include "package/GameConfig.h"

#include "platform/SpecPath.h"
#include "platform/TextFile.h"

namespace kelvarin {

GameConfig::GameConfig(const QString &systemDir) : m_systemDir(systemDir) {}

QString GameConfig::FileOf(const QString &configName)
{
    if (configName.compare(QLatin1String("System"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("UnrealTournament.ini");
    return configName + QStringLiteral(".ini");
}

std::optional<QString> GameConfig::Value(const QString &configName, const QString &section, const QString &key)
{
    const QString file = FileOf(configName).toUpper();
    auto found = m_files.find(file);
    if (found == m_files.end()) {
        QHash<QString, Section> sections;
        // A name that would lead out of System holds nothing.
        const std::optional<QString> text = SpecPath::IsSafeComponent(FileOf(configName))
            ? TextFile::ReadAll(m_systemDir + QLatin1Char('\\') + FileOf(configName))
            : std::nullopt;
        if (text) {
            Section *current = nullptr;
            for (const QString &line : TextFile::SplitLines(*text)) {
                const QString trimmed = line.trimmed();
                if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
                    current = &sections[trimmed.mid(1, trimmed.size() - 2).toUpper()];
                    continue;
                }
                const qsizetype equals = line.indexOf(QLatin1Char('='));
                if (!current || equals <= 0)
                    continue;
                const QString name = line.left(equals).trimmed().toUpper();
                if (!current->contains(name))
                    current->insert(name, line.mid(equals + 1));
            }
        }
        found = m_files.insert(file, sections);
    }
    const auto sectionFound = found->constFind(section.toUpper());
    if (sectionFound == found->constEnd())
        return std::nullopt;
    const auto value = sectionFound->constFind(key.toUpper());
    if (value == sectionFound->constEnd())
        return std::nullopt;
    return *value;
}

} // namespace kelvarin
