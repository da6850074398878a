#pragma once

#include <QHash>
#include <QString>

#include <optional>

namespace kelvarin {

// The game's configuration files in its System directory, as the game reads
// them for the variables a class declares config: each file read once on
// first use, sections and keys compared ignoring case, the first of equal
// keys counting. A missing file holds nothing.
class GameConfig
{
public:
    // systemDir: the System directory as a path built the Windows way.
    explicit GameConfig(const QString &systemDir);

    // The file a class's config name stands for: "System" the game's own
    // UnrealTournament.ini, "User" User.ini, any other name <name>.ini.
    static QString FileOf(const QString &configName);

    // The value of key in [section] of the file, without the line end.
    std::optional<QString> Value(const QString &configName, const QString &section, const QString &key);

private:
    using Section = QHash<QString, QString>;
    QString m_systemDir;
    QHash<QString, QHash<QString, Section>> m_files;   // upper-cased file, section and key
};

} // namespace kelvarin
