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

    // Appends every EditPackages value of the section, in file order. Shows
    // "Unable to locate [Editor.EditorEngine] section." and answers false
    // when there is none. Raises "Cannot open file %s" when the file cannot
    // be read or is UTF-16 without a byte-order mark (NUL bytes).
    bool ReadEditPackagesList(QStringList &list);

    // Rewrites the file so the section's EditPackages lines are exactly the
    // list, standing where the first one stood; every line is stripped of
    // surrounding white space, and the file as it was, byte for byte, is
    // kept in the "_Backup" file first. The file is replaced atomically and
    // keeps its permissions: a failure leaves the old one complete. Raises "Cannot open file %s" / "Cannot create
    // file %s".
    void WriteEditPackagesList(const QStringList &list);

    // True when a stripped line is an EditPackages line; value receives the
    // text after its first "=".
    static bool IsEditPackagesLine(const QString &stripped, QString *value = nullptr);

private:
    QStringList ReadLines(int *encoding, QByteArray *bytes = nullptr);

    QString m_baseDir;
    Prompter &m_prompter;
};

} // namespace kelvarin
