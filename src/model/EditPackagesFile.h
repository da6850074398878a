#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kelvarin {

class Prompter;

// The EditPackages list of the game configuration's [Editor.EditorEngine]
// section (base directory + "\System\UnrealTournament.ini").
class EditPackagesFile
{
public:
    EditPackagesFile(const QString &baseDir, Prompter &prompter);

    QString Path() const;
    QString BackupPath() const;

    // True when baseDir holds the game's configuration file
    // (baseDir + "\System\UnrealTournament.ini"), the mark of a game
    // directory.
    static bool HasGameConfiguration(const QString &baseDir);

    // Appends every EditPackages value of the section, in file order. Shows
    // "Unable to locate [Editor.EditorEngine] section." and answers false
    // when there is none. Raises "Cannot open file %s" when the file cannot
    // be read, is UTF-16 without a byte-order mark (NUL bytes) or is cut in
    // the middle of a UTF-16 character.
    bool ReadEditPackagesList(QStringList &list);

    // Rewrites the file so the section's EditPackages lines are exactly the
    // list, standing where the first one stood; every line is stripped of
    // surrounding white space, and the file as it was, byte for byte, is
    // kept in the "_Backup" file first. A file with a UTF-8 or UTF-16
    // byte-order mark keeps it, the list is written in that encoding, and
    // the lines kept give back their bytes unchanged, even those that are no
    // text of that encoding. The file is replaced atomically and keeps its
    // permissions: a failure leaves the old one complete. Raises "Cannot
    // open file %s" (also for UTF-16 with an odd number of bytes) / "Cannot
    // create file %s".
    void WriteEditPackagesList(const QStringList &list);

    // True when a stripped line is an EditPackages line; value receives the
    // text after its first "=".
    static bool IsEditPackagesLine(const QString &stripped, QString *value = nullptr);

private:
    // The file's bytes and the encoding its mark names; raises "Cannot open
    // file %s" when it cannot be read or is not text.
    QByteArray ReadBytes(int *encoding);

    QString m_baseDir;
    Prompter &m_prompter;
};

} // namespace kelvarin
