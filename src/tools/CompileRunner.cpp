#include "tools/CompileRunner.h"

#include "model/EditPackagesFile.h"
#include "model/TextRules.h"
#include "model/Options.h"
#include "platform/Errors.h"
#include "platform/EventPump.h"
#include "platform/GamePrograms.h"
#include "platform/Process.h"
#include "platform/Prompter.h"
#include "platform/SpecPath.h"
#include "platform/TextFile.h"
#include "platform/WindowsCommandLine.h"
#include "tools/CompilerLog.h"
#include "tools/ErrorReporter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace kelvarin {

std::atomic<bool> CompileRunner::s_cancelRequested{false};

namespace {

static_assert(std::atomic<bool>::is_always_lock_free, "the cancel flag is set from a signal handler");

// Exists as anything at all: a file, a directory, a dangling link.
bool Present(const QString &native)
{
    return QFileInfo::exists(native) || QFileInfo(native).isSymLink();
}

bool RemoveEntry(const QString &native)
{
    if (!Present(native))
        return true;
    if (QFileInfo(native).isDir() && !QFileInfo(native).isSymLink())
        return false;
    return QFile::remove(native);
}

// Renames without ever replacing what stands at the target.
bool RenameEntry(const QString &fromNative, const QString &toNative)
{
    if (Present(toNative))
        return false;
    return QFile::rename(fromNative, toNative);
}

bool IsBackupFile(const QString &native)
{
    const QFileInfo info(native);
    return info.isSymLink() || (info.exists() && !info.isDir());
}

const char *const kGamePackages[] = {
    "CORE", "ENGINE", "BOTPACK", "EDITOR", "FIRE", "IPDRV", "IPSERVER", "UBROWSER",
    "UMENU", "UNREALI", "UNREALSHARE", "UTBROWSER", "UTMENU", "UTSERVERADMIN", "UWEB", "UWINDOW",
};

} // namespace

CompileRunner::CompileRunner(TOptions &options, EventPump &pump, Prompter &prompter, ErrorReporter &errors)
    : m_options(options), m_pump(pump), m_prompter(prompter), m_errors(errors), m_starter(Process::Starter())
{
}

CompileRunner::~CompileRunner() = default;

bool CompileRunner::IsGamePackage(const QString &package)
{
    const QString upper = UpperCase(package);
    for (const char *name : kGamePackages)
        if (upper == QLatin1String(name))
            return true;
    return false;
}

bool CompileRunner::IsPackageName(const QString &package)
{
    if (package.isEmpty())
        return false;
    for (qsizetype i = 0; i < package.size(); ++i) {
        const char16_t c = package.at(i).unicode();
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !(digit && i > 0))
            return false;
    }
    return true;
}

QString CompileRunner::MakeParametersFor(const QString &baseDir, bool nativeBuild)
{
    if (!nativeBuild)
        return QLatin1String(MakeParameters);
    const QString ini = QFileInfo(SpecPath::ToNative(baseDir + QLatin1String("\\System\\UnrealTournament.ini")))
                            .absoluteFilePath();
    const QString log = QFileInfo(SpecPath::ToNative(CompilerLog::LogPath(baseDir))).absoluteFilePath();
    return WindowsCommandLine::Join(
        {QStringLiteral("make"), QStringLiteral("ini=") + ini, QStringLiteral("-log=") + log});
}

void CompileRunner::RequestCancel() noexcept
{
    s_cancelRequested.store(true, std::memory_order_relaxed);
}

void CompileRunner::Cancel()
{
    if (m_busy && m_runState == 0)
        m_cancel = true;
}

qint64 CompileRunner::RunningPid() const
{
    return m_process ? m_process->Pid() : 0;
}

void CompileRunner::SetBusy(bool busy)
{
    m_busy = busy;
    if (m_busyChanged)
        m_busyChanged(busy);
}

CompileOutcome CompileRunner::CompilePackage(const QString &package)
{
    CompileOutcome outcome;
    if (m_busy || (m_otherBusy && m_otherBusy())) {
        outcome.refused = true;
        return outcome;
    }
    QString name = package.isEmpty() ? m_options.LastCompiledPackage : package;
    outcome.package = name;
    if (name.isEmpty()) {
        m_prompter.Error(QLatin1String(NoPackageMessage));
        outcome.refused = true;
        return outcome;
    }
    // Checked before anything is written: the name becomes a line of the
    // game's configuration and a file name in System.
    if (!IsPackageName(name)) {
        m_prompter.Error(QStringLiteral("%1 is not a package name.").arg(name));
        outcome.refused = true;
        return outcome;
    }

    s_cancelRequested.store(false, std::memory_order_relaxed);
    SetBusy(true);
    struct BusyEnd
    {
        CompileRunner *runner;
        ~BusyEnd() { runner->SetBusy(false); }
    } busyEnd{this};

    EditPackagesFile editPackages(m_options.BaseDir, m_prompter);
    bool added = false;
    {
        QStringList list;
        // Without the section there is nowhere to add the package: the file
        // is left alone, and make finds nothing to build.
        if (editPackages.ReadEditPackagesList(list)) {
            bool listed = false;
            const QString upper = UpperCase(name);
            for (const QString &entry : list)
                listed = listed || UpperCase(entry) == upper;
            if (!listed) {
                list.append(name);
                editPackages.WriteEditPackagesList(list);
                added = true;
            }
        }
    }

    m_lastNewPackageFile = false;
    m_lastBackupKept = false;
    m_lastLogFresh = false;
    m_lastDeclined = false;
    outcome.runState = Run(m_options.BaseDir, name);
    outcome.declined = m_lastDeclined;

    // The verdict comes from this compile only: its own log, read again now,
    // and the compiled file it had to leave.
    if (outcome.runState == 1) {
        outcome.newPackageFile = m_lastNewPackageFile;
        bool logErrors = true;
        if (m_lastLogFresh) {
            const std::optional<QString> text = TextFile::ReadAll(CompilerLog::LogPath(m_options.BaseDir));
            if (text) {
                const QStringList lines = TextFile::SplitLines(*text);
                outcome.logRead = !lines.isEmpty();
                outcome.parsedLog = CompilerLog::Parse(lines, &logErrors);
            }
        }
        outcome.errorsFound = logErrors || !outcome.logRead || !outcome.newPackageFile;
        // A log without error lines ends in the success line; without a new
        // package that would be a lie, so the reason takes its place.
        if (!outcome.newPackageFile && !(outcome.logRead && logErrors)) {
            outcome.note = (m_lastBackupKept ? QString::fromLatin1(NothingWrittenKeptMessage)
                                             : QString::fromLatin1(NothingWrittenMessage))
                               .arg(name);
            outcome.parsedLog = CompilerLog::WithNote(outcome.parsedLog, outcome.note);
        }
        // Kept beside the log, so that the log read again later (the log
        // window, kelvarin-cli --print log) says it too.
        CompilerLog::RememberNote(m_options.BaseDir, outcome.note);
        if (m_logView) {
            m_logView->SetCompileNote(outcome.note);
            m_logView->ShowCompileLog();
        }
        if (m_options.bTestrunAfterCompile && !outcome.errorsFound && !m_pump.Terminating()) {
            // Warnings stay readable: the log window, which stays on top,
            // keeps showing them while the game starts.
            if (m_logView && !CompilerLog::HasWarningLine(outcome.parsedLog))
                m_logView->CloseCompileLog();
            if (m_testRun) {
                m_testRun();
                outcome.testRunStarted = true;
            }
        }
    }

    // The package leaves EditPackages again whatever happened, also when the
    // program is ending; a failure to do so is raised after the package has
    // become the last compiled one.
    std::optional<KelvarinError> failure;
    if (added) {
        try {
            QStringList list;
            if (editPackages.ReadEditPackagesList(list)) {
                const QString upper = UpperCase(name);
                list.removeIf([&upper](const QString &entry) { return UpperCase(entry) == upper; });
                editPackages.WriteEditPackagesList(list);
            }
        } catch (const KelvarinError &error) {
            failure = error;
        }
    }
    m_options.LastCompiledPackage = name;
    if (m_mark)
        m_mark();
    if (failure)
        throw *failure;
    return outcome;
}

int CompileRunner::Run(const QString &base, const QString &package)
{
    if (base.isEmpty() || package.isEmpty())
        return 2;
    if (!IsPackageName(package)) {
        m_prompter.Error(QStringLiteral("%1 is not a package name.").arg(package));
        return 2;
    }
    if (IsGamePackage(package)
        && m_prompter.Ask(QLatin1String(EpicMessage), QStringLiteral("Kelvarin"), MessageIcon::Question,
                          MessageButtons::YesNo, MessageAnswer::No)
               != MessageAnswer::Yes) {
        m_lastDeclined = true;
        return 2;
    }

    const bool ownBusy = !m_busy;
    if (ownBusy)
        SetBusy(true);
    const int state = RunMake(base, package);
    if (ownBusy)
        SetBusy(false);
    return state;
}

bool CompileRunner::RestoreBackup(const QString &u, const QString &bak, bool replaceNew)
{
    const QString uNative = SpecPath::ToNative(u);
    const QString bakNative = SpecPath::ToNative(bak);
    bool ok = true;
    if (Present(uNative) && replaceNew)
        ok = RemoveEntry(uNative);
    // A directory under the backup's name is not a backup of ours.
    if (ok && IsBackupFile(bakNative) && !Present(uNative))
        ok = RenameEntry(bakNative, uNative);
    SpecPath::ForgetListings();
    if (!ok)
        m_prompter.Error(QStringLiteral("Unable to restore %1.").arg(SpecPath::Display(u)));
    return ok;
}

int CompileRunner::RunMake(const QString &base, const QString &package)
{
    const QString sys = base + QLatin1String("\\System");
    const QString u = sys + QLatin1Char('\\') + package + QLatin1String(".u");
    const QString bak = sys + QLatin1Char('\\') + package + QLatin1String(".ubak");
    const QString uNative = SpecPath::ToNative(u);
    const QString bakNative = SpecPath::ToNative(bak);

    // A backup without its package is what an interrupted compile left: it
    // is the only copy, so it goes back first.
    if (IsBackupFile(bakNative) && !Present(uNative)) {
        if (!RestoreBackup(u, bak, false))
            return 2;
    }
    // Moving the package aside must succeed, or make would skip the package
    // and the old file would pass for a fresh compile.
    if (Present(uNative)) {
        if (!RemoveEntry(bakNative) || !RenameEntry(uNative, bakNative)) {
            SpecPath::ForgetListings();
            m_prompter.Error(QStringLiteral("Unable to move %1 aside.").arg(SpecPath::Display(u)));
            return 2;
        }
    }
    SpecPath::ForgetListings();

    // The old log goes, so that whatever is read afterwards is this run's.
    const QString logNative = SpecPath::ToNative(CompilerLog::LogPath(base));
    const bool oldLogGone = RemoveEntry(logNative);
    CompilerLog::RememberNote(base, QString());
    const QDateTime started = QDateTime::currentDateTimeUtc().addSecs(-1);

    const QString exe = sys + QLatin1String("\\UCC.Exe");
    const QString command = exe + QLatin1String(" make");
    if (m_view)
        m_view->ShowProgress(package, command);

    GameLaunch plan = GamePrograms::Plan(exe, QLatin1String(MakeParameters), sys, m_options.bUCCVisibleCompile);
    const bool native = plan.inner == GameLaunch::How::Native;
    if (native)
        plan = GamePrograms::Plan(exe, MakeParametersFor(base, true), sys, m_options.bUCCVisibleCompile);
    int errorCode = plan.errorCode;
    std::shared_ptr<RunningProcess> process;
    if (plan.how != GameLaunch::How::Failed && !s_cancelRequested.load(std::memory_order_relaxed)) {
        // A session of its own, so that Cancel reaches UCC's children too
        // and a terminal's Ctrl+C reaches only us (we clean up, then end it).
        plan.start.ownSession = true;
        process = m_starter(plan.start, &errorCode);
    }
    if (!process) {
        const bool cancelledBeforeStart = plan.how != GameLaunch::How::Failed && errorCode == 0;
        RestoreBackup(u, bak, false);
        if (m_view)
            m_view->HideProgress();
        if (!cancelledBeforeStart) {
            m_errors.ShowError(errorCode ? errorCode : 2, SpecPath::Display(exe));
            m_prompter.Error(QLatin1String(UnableToRunMessage));
        }
        return 2;
    }

    m_process = process.get();
    m_runState = 0;
    m_cancel = false;
    while (m_runState == 0) {
        process->SetPriorityClass(m_options.UCCPriority);
        m_pump.Pump();
        if (m_pump.Terminating() || m_cancel || s_cancelRequested.load(std::memory_order_relaxed))
            m_runState = 2;
        else if (process->Wait(WaitStepMs))
            m_runState = 1;
    }
    if (m_runState == 2 && !process->Wait(0)) {
        // Ask first, so that UCC can close its files; wait in short steps,
        // then insist. Whatever it leaves is dealt with below.
        process->Terminate(255);
        int steps = 0;
        while (!process->Wait(WaitStepMs)) {
            m_pump.Pump();
            if (++steps == 2000 / WaitStepMs)
                process->Terminate(255);
            if (steps > 4000 / WaitStepMs) {
                process->Terminate(255);
                process->Wait(-1);
                break;
            }
        }
    }
    const bool crashed = m_runState == 1 && process->Crashed();
    m_process = nullptr;
    process.reset();
    SpecPath::ForgetListings();

    // Make names the file as the EditPackages line spells the package, which
    // may differ in letter case from the file moved aside: the package is
    // looked up again now.
    const QString madeNative = SpecPath::ToNative(u);

    // A native build may write the package beside itself or into the user's
    // own System directory; the compiled package belongs in System. Only a
    // file written during this run counts: one left from an earlier run is
    // not this compile's package.
    if (native && !Present(madeNative)) {
        const QStringList places = QStringList{QFileInfo(plan.start.program).absolutePath()}
            + GamePrograms::UserSystemDirs();
        for (const QString &place : places) {
            const QFileInfo made(place + QLatin1Char('/') + package + QLatin1String(".u"));
            if (made.isFile() && made.lastModified().toUTC() >= started) {
                QFile::rename(made.absoluteFilePath(), madeNative);
                break;
            }
        }
        SpecPath::ForgetListings();
    }

    const bool hadPackage = IsBackupFile(bakNative);
    if (m_runState == 2 || crashed) {
        // A cancelled or crashed compile never keeps a new package: it may
        // be cut short.
        RestoreBackup(u, bak, true);
        m_lastNewPackageFile = false;
        m_lastBackupKept = hadPackage;
    } else if (!Present(SpecPath::ToNative(u))) {
        RestoreBackup(u, bak, false);
        m_lastNewPackageFile = false;
        m_lastBackupKept = hadPackage;
    } else {
        m_lastNewPackageFile = QFileInfo(SpecPath::ToNative(u)).isFile();
        if (!RemoveEntry(bakNative))
            m_prompter.Error(QStringLiteral("Unable to remove %1.").arg(SpecPath::Display(bak)));
    }
    const QFileInfo log(logNative);
    m_lastLogFresh = log.isFile() && (oldLogGone || log.lastModified().toUTC() >= started);
    SpecPath::ForgetListings();

    if (m_beep)
        m_beep();
    if (m_view)
        m_view->HideProgress();
    return m_runState;
}

} // namespace kelvarin
