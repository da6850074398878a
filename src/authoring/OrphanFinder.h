#pragma once

#include "model/TextRules.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace kelvarin {

class ClassModel;
class EventPump;
class Prompter;

// The orphan file finder without its window: localisation (.int) and native
// library (.dll) files in the game's System directory whose package is gone.
// A .int file is an orphan when no compiled package (System\*.u), sound
// package (Sounds\*.uax) or texture package (Textures\*.utx) of its base name
// exists, a .dll file when no compiled package of its base name exists; the
// game's own files never are.
//
// A search fills five lists and then the orphan list, letting the event pump
// run between names; Stop() (Cancel, the window going away) or the
// application terminating ends it at its next step.
class OrphanFinder
{
public:
    static constexpr const char *FailedMessage = "These files could not be deleted:";
    static constexpr const char *DeleteQuestion = "Delete these %1 files?";

    struct Orphan
    {
        QString name;   // the file name as found on disk, no directory
        bool checked = true;
        QByteArray nativeName;   // the name as the file system holds it (deleted by it)
    };

    enum class Outcome {
        Done,        // the orphan list is complete
        Stopped,     // the orphan loops stopped early: the list holds what was found
        ListingCut   // a listing was cut short: the orphan list was not touched
    };

    explicit OrphanFinder(EventPump &pump);

    // The 23 base names of the game's own files, upper-cased.
    static const QStringList &GameFileNames();
    // True when a base name (the file name without ".INT" or ".DLL") is one
    // of the game's own files, in any letter case.
    static bool IsGameFile(const QString &baseName);

    // Fills the five lists and the orphan list from baseDir's System,
    // Textures and Sounds directories. baseDir is kept as the directory that
    // DeleteCheckedOrphans deletes from, whatever the options say later.
    // While it runs, model (when given) is busy with it: a compile moves a
    // package aside meanwhile, and its files would look like orphans, so
    // other model commands are refused until the search ends.
    Outcome Search(const QString &baseDir, ClassModel *model = nullptr);
    // Ends a running search at its next step.
    void Stop() { m_stop = true; }
    bool Searching() const { return m_searching; }

    // Lists the plain files matching baseDir + pattern ("\System\*.int") into
    // list, upper-cased when asked, in the directory's own order. False when
    // the search was stopped meanwhile (the list then holds what was listed).
    // A directory that does not exist gives an empty list.
    bool ListFiles(const QString &baseDir, const QString &pattern, QStringList &list, bool upperCase);

    const QStringList &IntList() const { return m_intList; }
    const QStringList &UList() const { return m_uList; }
    const QStringList &UtxList() const { return m_utxList; }
    const QStringList &UaxList() const { return m_uaxList; }
    const QStringList &DllList() const { return m_dllList; }

    // The orphans in alphabetical order without regard to case, each checked
    // when found.
    const QList<Orphan> &Orphans() const { return m_orphans; }
    QStringList OrphanNames() const;
    int CheckedCount() const;
    void SetChecked(int row, bool checked);
    void ClearOrphans();

    // The base directory of the last search ("" before the first).
    const QString &SearchedBase() const { return m_searchedBase; }
    // The game path of an orphan in the System directory that was searched.
    QString OrphanPath(const QString &name) const;

    // Deletes every checked orphan from the System directory that was
    // searched and empties the orphan list, unchecked items included. Files
    // that could not be deleted are named in one error message at the end.
    // Answers the native paths of those files (empty when all went).
    QStringList DeleteCheckedOrphans(Prompter &prompter);

    // For scripts: asks "Delete these N files?" (nothing is asked when no
    // orphan is checked) and on Yes deletes them as above. Answers false
    // when the answer was No or a file could not be deleted.
    bool ConfirmAndDeleteOrphans(Prompter &prompter);

private:
    bool Keep() const;
    bool ListFiles(const QString &baseDir, const QString &pattern, QStringList &list, bool upperCase,
                   QList<QByteArray> *nativeNames);
    void AddOrphan(const QString &name, const QByteArray &nativeName);

    EventPump &m_pump;
    bool m_stop = false;
    bool m_searching = false;
    QString m_searchedBase;
    QStringList m_intList;
    QStringList m_uList;
    QStringList m_utxList;
    QStringList m_uaxList;
    QStringList m_dllList;
    QList<Orphan> m_orphans;
    // The System directory as listed, and the .int and .dll names as the
    // file system holds them, row for row with m_intList and m_dllList: a
    // name that is no valid text in the system's encoding is deleted by
    // these bytes, not by its shown form.
    QString m_systemNative;
    QList<QByteArray> m_intNative;
    QList<QByteArray> m_dllNative;
    // The orphans' places in the order, row for row with m_orphans.
    QList<SortKey> m_keys;
};

} // namespace kelvarin
