#pragma once

#include "platform/RunningProcess.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

namespace kelvarin {

class ErrorReporter;
class EventPump;
class Prompter;
class TOptions;

// The compile window as the runner sees it: shows the package and the
// command while UCC runs, and hides again. The window's slider and check
// box write the options directly; its Cancel calls CompileRunner::Cancel.
class CompilerView
{
public:
    virtual ~CompilerView() = default;
    virtual void ShowProgress(const QString &package, const QString &command) = 0;
    virtual void HideProgress() = 0;
};

// The compile log window as the runner sees it. ShowCompileLog shows the
// window and always reads the log again (also when it is already visible).
class CompileLogView
{
public:
    virtual ~CompileLogView() = default;
    virtual void ShowCompileLog() = 0;
    virtual void CloseCompileLog() = 0;
    // Set before every ShowCompileLog of a compile: what the log cannot
    // say (the compile left no package), shown in place of the parsed log's
    // success line; empty when the log tells it all.
    virtual void SetCompileNote(const QString &note) { (void)note; }
};

// What became of one CompilePackage.
struct CompileOutcome
{
    QString package;           // the package compiled (after the last-compiled fallback)
    bool refused = false;      // nothing done: no package, not a name, busy
    bool declined = false;     // nothing done: the question about a game package was answered No
    int runState = 2;          // Run's answer: 1 UCC ended by itself, 2 anything else
    bool newPackageFile = false; // a new .u exists after the run
    bool logRead = false;      // the log was written by this compile and has lines
    bool errorsFound = true;   // the verdict: an error line, no log or no new .u
    QStringList parsedLog;     // the parsed view of this compile's log, ending in note when there is one
    QString note;              // why a compile whose log shows no error left no package
    bool testRunStarted = false;
    // True for a compile that ran and ended without any error.
    bool Succeeded() const { return runState == 1 && !errorsFound; }
};

// The compile command and the run of UCC's make, for the main window and
// kelvarin-cli alike. Nothing here touches a widget: the windows come in
// through CompilerView and CompileLogView.
class CompileRunner
{
public:
    static constexpr int WaitStepMs = 25;
    static constexpr const char *NoPackageMessage =
        "I'm sorry, but I don't know which package to compile.\r\nUse the context menu in one of the trees.";
    static constexpr const char *EpicMessage = "You are about to compile one of\r\nEpic's classes. Are you sure?";
    static constexpr const char *UnableToRunMessage = "Unable to run UCC.exe\r\nCompilation halted.";
    static constexpr const char *MakeParameters = "make -log=KelvarinCompiler.log";
    static constexpr const char *NothingWrittenMessage = "UCC ended without writing %1.u.";
    static constexpr const char *NothingWrittenKeptMessage =
        "UCC ended without writing %1.u; the previous %1.u was kept.";

    CompileRunner(TOptions &options, EventPump &pump, Prompter &prompter, ErrorReporter &errors);
    ~CompileRunner();

    void SetView(CompilerView *view) { m_view = view; }
    void SetLogView(CompileLogView *logView) { m_logView = logView; }
    // The test run (the "Test run!" tool button's action).
    void SetTestRun(std::function<void()> testRun) { m_testRun = std::move(testRun); }
    // The simple beep at the end of every run (nothing by default).
    void SetBeep(std::function<void()> beep) { m_beep = std::move(beep); }
    // Marks the last compiled package in the package tree.
    void SetMarkLastCompiled(std::function<void()> mark) { m_mark = std::move(mark); }
    // Answers true while something else (an export) runs UCC: a compile
    // then refuses to start.
    void SetOtherBusy(std::function<bool()> otherBusy) { m_otherBusy = std::move(otherBusy); }
    // Told when a compile starts (true) and ends (false), to disable and
    // enable the commands that must wait.
    void SetBusyChanged(std::function<void(bool)> busyChanged) { m_busyChanged = std::move(busyChanged); }
    // Replaces the way UCC is started (tests).
    void SetStarter(ProcessStarter starter) { m_starter = std::move(starter); }

    // The compile command. An empty name compiles the last compiled package.
    CompileOutcome CompilePackage(const QString &package);

    // Runs make for one package: 1 when UCC started and ended by itself, 2 in
    // every other case (nothing done, declined, not started, cancelled).
    int Run(const QString &base, const QString &package);

    // The compile window's Cancel (and its frame's close): ends the run.
    void Cancel();
    // Asks the running compile to cancel; safe to call from a signal
    // handler (it only sets a lock-free flag that the wait loop reads).
    static void RequestCancel() noexcept;

    // True from the start of CompilePackage (or Run) to its end.
    bool Busy() const { return m_busy; }
    // 0 while UCC runs, 1 when it ended by itself, 2 when cancelled.
    int RunState() const { return m_runState; }
    // The pid of the UCC being waited for, 0 when none.
    qint64 RunningPid() const;

    // One of the game's own 16 packages (any letter case).
    static bool IsGamePackage(const QString &package);
    // An UnrealScript identifier: a letter or underscore, then letters,
    // digits and underscores (ASCII only).
    static bool IsPackageName(const QString &package);

    // The command line a make is started with: the written one, or for a
    // native Linux build the configuration file and the log as absolute
    // paths too (those builds read their own ini and log elsewhere).
    static QString MakeParametersFor(const QString &baseDir, bool nativeBuild);

private:
    struct RunResult;
    void SetBusy(bool busy);
    bool RestoreBackup(const QString &u, const QString &bak, bool replaceNew);
    int RunMake(const QString &base, const QString &package);

    TOptions &m_options;
    EventPump &m_pump;
    Prompter &m_prompter;
    ErrorReporter &m_errors;
    CompilerView *m_view = nullptr;
    CompileLogView *m_logView = nullptr;
    std::function<void()> m_testRun;
    std::function<void()> m_beep;
    std::function<void()> m_mark;
    std::function<bool()> m_otherBusy;
    std::function<void(bool)> m_busyChanged;
    ProcessStarter m_starter;

    bool m_busy = false;
    int m_runState = 2;
    bool m_cancel = false;
    RunningProcess *m_process = nullptr;
    // Set by Run for CompilePackage: what this run left behind.
    bool m_lastNewPackageFile = false;
    bool m_lastBackupKept = false;   // no new package, and the previous one is back
    bool m_lastDeclined = false;     // the question about a game package was answered No
    bool m_lastLogFresh = false;

    static std::atomic<bool> s_cancelRequested;
};

} // namespace kelvarin
