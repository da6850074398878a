#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kelvarin {

class ClassModel;
class SourceReadAhead;

// Decides which packages are loaded and drives the scanner for each.
class PackageLoader
{
public:
    explicit PackageLoader(ClassModel &model);

    // Scans base directory + "\" + package + "\Classes\" and resolves. A
    // package without sources is read from System\<package>.u instead, when
    // reading compiled packages is on and that file is a game package. False (after
    // "Unable to find any source for …", or the compiled package's error)
    // when there is neither.
    bool LoadPackage(const QString &package, bool merge);

    // Loads the EditPackages lines of the first [Editor.EditorEngine] section
    // of System\UnrealTournament.ini in file order, ticking each package, and
    // stops at the first package that cannot be loaded.
    void ReadEditPackages();

    // "R&ead default packages": reset, read, sort, mark; returns the load
    // report "Load time: …  N classes loaded" (also set as status).
    QString ReadDefaultPackages();

    // Lists new package directories and retries the classes still waiting
    // for their parents.
    void RefreshModel();

    // The user changed the tick of a package list item (its mark already
    // holds the new state): a tick loads the package; removing it unloads
    // the package, or refuses and puts the tick back. False when the change
    // was refused.
    bool PackageTickChanged(int row);

    // Worker threads that read the sources of the packages ReadEditPackages
    // is about to load while the current one is resolved (0: none, every
    // package is read in turn). The model comes out the same either way.
    void SetReadAheadThreads(int threads) { m_readAheadThreads = threads; }
    static int DefaultReadAheadThreads();

private:
    QString ClassesDir(const QString &package) const;
    bool LoadCompiledPackage(const QString &package, bool merge);
    // The lines after the first [Editor.EditorEngine] header of
    // System\UnrealTournament.ini; nothing without the file or the section
    // (or when the application began terminating).
    std::optional<QStringList> EditorEngineSection();
    // The Classes directories of the section's EditPackages lines, up to the
    // first package that cannot be loaded (when listed, also the first that is
    // not in the package list): what the loading will read, in its order.
    QStringList ClassesDirsAhead(const QStringList &section, bool listed) const;
    // Loads the section's EditPackages lines in order, ticking each package,
    // until one cannot be loaded; readAhead reads their sources ahead.
    void LoadEditPackages(const QStringList &section, SourceReadAhead &readAhead);
    // Resolves what was staged, sorts the trees and moves the class tree's
    // selection off its root.
    void FinishLoad(bool merge);

    ClassModel &m_model;
    int m_readAheadThreads = DefaultReadAheadThreads();
    SourceReadAhead *m_readAhead = nullptr;   // while LoadEditPackages runs
};

} // namespace kelvarin
