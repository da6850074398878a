#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace kelvarin {

// What one native export did.
struct NativeExportResult
{
    QStringList written;                      // classes whose .uc was written
    QList<QPair<QString, QString>> refused;   // classes not written, and why
    QStringList withoutSource;                // classes whose package holds no source
    bool Complete() const { return refused.isEmpty() && withoutSource.isEmpty(); }
    // The report for the user: how many classes were written, then every
    // class that was not and why, one per line (CR LF).
    QString Report(const QString &package) const;
};

// Exports a compiled package back to sources without the game's UCC.exe:
// for every class, <BaseDir>\<package>\Classes\<class>.uc with the class's
// source text and then its defaultproperties block as the game's own
// exporter writes it. A class whose defaults cannot be rendered exactly, or
// whose package holds no source for it, is not written (nor is an earlier
// file of it touched); each file is written in full under a temporary name
// and renamed into place.
class NativeExporter
{
public:
    // baseDir: the game's directory, as a path built the Windows way.
    explicit NativeExporter(const QString &baseDir);

    // Exports System\<package>.u. Raises KelvarinError when the package
    // cannot be read (no such file, not a game package, damaged tables) or
    // its Classes directory cannot be made.
    NativeExportResult Export(const QString &package);

    // A class's file: the source text, a line end when it lacks one, then
    // "defaultproperties", "{", every line indented by five blanks, "}",
    // each line ended by CR LF.
    static QString FileText(const QString &source, const QStringList &defaults);

private:
    QString m_baseDir;
};

} // namespace kelvarin
