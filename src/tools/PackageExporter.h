#pragma once

#include "model/SortedList.h"
#include "tools/GameProgramStarter.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace kelvarin {

class ClassModel;
class ErrorReporter;

// The package exporter without its window: the compiled packages found in
// the game's System directory, the export queue, and one UCC.exe BatchExport
// at a time, watched without blocking the user interface (the process's
// watch reports its end through the event loop). Every reaction to a
// process's end runs on this object's thread.
class PackageExporter : public QObject
{
    Q_OBJECT

public:
    static constexpr int CancelExitCode = 255;
    // How long ExportPackage waits for UCC.exe between two pumps.
    static constexpr int WaitStepMs = 100;
    static constexpr const char *NothingQueuedMessage = "You have to select a package!";
    static constexpr const char *OverwriteHead = "These packages already have sources, which the export will overwrite:";
    static constexpr const char *OverwriteQuestion = "Export anyway?";
    static constexpr const char *OtherToolBusyMessage = "UCC.exe is busy with a compile; export when it has ended.";
    static constexpr const char *UccFallbackMessage = "Unable to run UCC.exe: %1 is exported without it.";
    static constexpr const char *UccRanMessage = "%1 was exported with UCC.exe.";

    PackageExporter(ClassModel &model, ErrorReporter &errors, QObject *parent = nullptr);
    // Stops watching; a running export is not ended (the window cancels
    // before it goes).
    ~PackageExporter() override;

    // ---- Seams -------------------------------------------------------------
    // How UCC.exe is started; GameProgramStarter() unless a test scripts it.
    void SetProgramStarter(ProgramStarter starter) { m_starter = std::move(starter); }
    // Asked before an export starts: true while another tool runs UCC.exe
    // (a compile), which the export must not overlap.
    void SetOtherToolBusy(std::function<bool()> busy) { m_otherBusy = std::move(busy); }
    // "Exporting P", "Done".
    void SetStatusSink(std::function<void(const QString &)> sink) { m_status = std::move(sink); }
    // The simple beep when the queue has run empty.
    void SetBeep(std::function<void()> beep) { m_beep = std::move(beep); }
    // Told on every change between the idle and the busy state.
    void SetBusyChangedHandler(std::function<void(bool busy)> handler) { m_busyChanged = std::move(handler); }
    // What refreshing the main window's model means; by default
    // RefreshModel, skipped while another model operation runs.
    void SetRefreshHandler(std::function<void()> refresh) { m_refresh = std::move(refresh); }

    // ---- Lists -------------------------------------------------------------
    SortedList &FoundList() { return m_found; }
    SortedList &ExportList() { return m_queue; }

    // The package name of a file name: trimmed, less its last two characters.
    static QString PackageName(const QString &fileName);

    // Empties both lists and lists every compiled package (System\*.u) in
    // FoundList, letting events run between entries; a terminating
    // application ends the scan. Names that cannot be a directory below the
    // base directory (".", "..", empty) are left out. Refused while busy.
    void ScanPackages();

    // The four moves; rows are rows of the source list (any order, repeats
    // and rows out of range are ignored). Refused while busy.
    void AddAll();
    void Add(const QList<int> &foundRows);
    void Remove(const QList<int> &queuedRows);
    void RemoveAll();

    // ---- Running -----------------------------------------------------------
    // Exports run with UCC.exe unless the option bNativeExport asks for
    // Kelvarin's own exporter; when UCC.exe cannot be started (missing, no
    // wine for a Windows UCC.exe, a refused start) the own exporter runs in
    // its place for the rest of the queue, and the user is told.
    // Idle or busy as the window shows it: busy from Go until the queue runs
    // empty or Cancel.
    bool IsBusy() const { return m_busy; }
    // True while an export is under way or a cancelled UCC.exe has not ended
    // yet: no other tool may start UCC.exe meanwhile.
    bool Busy() const { return m_busy || m_awaitingEnd; }

    // Go: refuses an empty queue and an overlap with another tool, asks once
    // before overwriting sources, then exports the queue one package after
    // another. False when nothing was started.
    bool Go();
    // Cancel while busy: every queued package back, the running UCC.exe
    // ended with exit code 255, idle again. Its end still beeps and says
    // "Done" unless a new Go has come first.
    void Cancel();
    // Refreshes the main window's model (the window's close).
    void RefreshModel();

    // The packages of names whose Classes directory already holds sources.
    QStringList PackagesWithSources(const QStringList &names) const;
    // The export command for package P: UCC.exe BatchExport P.u Class uc
    // <BaseDir\P\Classes> in System, shown per bUCCVisibleExport.
    ProgramCommand ExportCommand(const QString &package) const;

    // kelvarin-cli's --export: exports one compiled package as Go does (the
    // overwrite question included), waits for UCC.exe while letting the
    // pump run (a terminating pump ends UCC.exe), then refreshes the model.
    // True when UCC.exe ran to a zero exit code and the package's Classes
    // directory holds sources. *declined (when given) tells a No to the
    // overwrite question apart from a failure. RequestCancel (a signal)
    // ends UCC.exe, waits for it, and answers false.
    // With native (kelvarin-cli's --export-native), or bNativeExport, the
    // package is exported without UCC.exe; true when every class was
    // written. Either way a message says which exporter ran.
    bool ExportPackage(const QString &package, bool *declined = nullptr, bool native = false);
    // Asks a running ExportPackage to end UCC.exe and return; safe to call
    // from a signal handler (it only sets a lock-free flag).
    static void RequestCancel() noexcept;

signals:
    // After every change of either list (the window redraws them).
    void ListsChanged();

private:
    void SetBusy(bool busy);
    void Status(const QString &text);
    bool AskOverwrite(const QStringList &packages);
    std::shared_ptr<RunningProcess> StartUcc(const QString &package, int *code);
    // Exports with Kelvarin's own exporter; the report goes to the status
    // and, when some class was not written (or always when told), to a
    // message. True when every class was written.
    bool ExportNative(const QString &package, bool alwaysReport);
    void ExportFirst();
    void OnProcessEnded(quint64 ticket);
    static void Move(SortedList &from, SortedList &to, const QList<int> &rows);

    ClassModel &m_model;
    ErrorReporter &m_errors;
    ProgramStarter m_starter;
    std::function<bool()> m_otherBusy;
    std::function<void(const QString &)> m_status;
    std::function<void()> m_beep;
    std::function<void(bool)> m_busyChanged;
    std::function<void()> m_refresh;

    SortedList m_found;
    SortedList m_queue;
    bool m_busy = false;
    QString m_baseDir;                     // BaseDir as it was at Go
    // Every export start takes a new ticket; only the end of the current
    // ticket's process moves the queue on.
    quint64 m_ticket = 0;
    bool m_awaitingEnd = false;
    bool m_uccFailed = false;              // for the rest of this run
    std::shared_ptr<RunningProcess> m_current;
    // The watch on m_current; it goes before the process does.
    std::unique_ptr<ProcessWatch> m_watch;

    static std::atomic<bool> s_cancelRequested;
};

} // namespace kelvarin
