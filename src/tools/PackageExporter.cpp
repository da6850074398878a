#include "tools/PackageExporter.h"

#include "model/ClassModel.h"
#include "model/PackageLoader.h"
#include "model/TextRules.h"
#include "model/Options.h"
#include "package/NativeExporter.h"
#include "platform/Errors.h"
#include "platform/EventPump.h"
#include "platform/FileSystem.h"
#include "platform/Prompter.h"
#include "platform/SpecPath.h"
#include "tools/ErrorReporter.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace kelvarin {

std::atomic<bool> PackageExporter::s_cancelRequested{false};

namespace {

QString ClassesDir(const QString &baseDir, const QString &package)
{
    return baseDir + QLatin1Char('\\') + package + QStringLiteral("\\Classes");
}

} // namespace

PackageExporter::PackageExporter(ClassModel &model, ErrorReporter &errors, QObject *parent)
    : QObject(parent), m_model(model), m_errors(errors), m_starter(GameProgramStarter())
{
}

PackageExporter::~PackageExporter()
{
    m_watch.reset();
}

QString PackageExporter::PackageName(const QString &fileName)
{
    const QString trimmed = Trim(fileName);
    return trimmed.left(std::max<qsizetype>(0, trimmed.size() - 2));
}

void PackageExporter::Status(const QString &text)
{
    if (m_status)
        m_status(text);
}

void PackageExporter::SetBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    if (m_busyChanged)
        m_busyChanged(busy);
}

// ---- Lists -----------------------------------------------------------------

void PackageExporter::ScanPackages()
{
    if (m_busy)
        return;
    m_found.Clear();
    m_queue.Clear();
    const QString baseDir = m_model.Options().BaseDir;
    if (!baseDir.isEmpty()) {
        const QStringList names = FileSystem::List(baseDir + QStringLiteral("\\System\\*.u"),
                                                   FileSystem::ListWhat::Files);
        EventPump &pump = m_model.Pump();
        for (const QString &name : names) {
            pump.Pump();
            if (pump.Terminating() || m_busy)
                break;
            // "*.u" also meets names that only end in ".u" after trimming;
            // the name becomes a directory the export writes into, so it
            // must be one plain component.
            const QString package = PackageName(name);
            if (SpecPath::IsSafeComponent(package))
                m_found.Add(package);
        }
    }
    emit ListsChanged();
}

void PackageExporter::Move(SortedList &from, SortedList &to, const QList<int> &rows)
{
    // Rows of the source list as it was: take the texts first, then remove
    // from the bottom so earlier rows keep their places.
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    QStringList moved;
    for (int row : sorted)
        if (row >= 0 && row < from.Count())
            moved.append(from.At(row));
    for (auto it = sorted.crbegin(); it != sorted.crend(); ++it)
        if (*it >= 0 && *it < from.Count())
            from.RemoveAt(*it);
    for (const QString &text : moved)
        to.Add(text);
}

void PackageExporter::AddAll()
{
    if (m_busy)
        return;
    m_queue.AddMany(m_found.Entries());
    m_found.Clear();
    emit ListsChanged();
}

void PackageExporter::Add(const QList<int> &foundRows)
{
    if (m_busy)
        return;
    Move(m_found, m_queue, foundRows);
    emit ListsChanged();
}

void PackageExporter::Remove(const QList<int> &queuedRows)
{
    if (m_busy)
        return;
    Move(m_queue, m_found, queuedRows);
    emit ListsChanged();
}

void PackageExporter::RemoveAll()
{
    if (m_busy)
        return;
    m_found.AddMany(m_queue.Entries());
    m_queue.Clear();
    emit ListsChanged();
}

// ---- Running ---------------------------------------------------------------

ProgramCommand PackageExporter::ExportCommand(const QString &package) const
{
    const QString baseDir = m_busy ? m_baseDir : m_model.Options().BaseDir;
    ProgramCommand command;
    command.program = baseDir + QStringLiteral("\\System\\UCC.Exe");
    // The target is handed over as this system names it, as one argument
    // (a base directory with blanks must not become several), and whole:
    // UCC runs in System, where a relative base directory (".") would
    // put the sources below System.
    command.arguments = {QStringLiteral("BatchExport"), package + QStringLiteral(".u"), QStringLiteral("Class"),
                         QStringLiteral("uc"),
                         QDir::toNativeSeparators(QFileInfo(SpecPath::ToNative(ClassesDir(baseDir, package)))
                                                      .absoluteFilePath())};
    command.workingDirectory = baseDir + QStringLiteral("\\System");
    command.shown = m_model.Options().bUCCVisibleExport;
    return command;
}

QStringList PackageExporter::PackagesWithSources(const QStringList &names) const
{
    const QString baseDir = m_busy ? m_baseDir : m_model.Options().BaseDir;
    QStringList found;
    for (const QString &name : names)
        if (FileSystem::AnyMatch(ClassesDir(baseDir, name) + QStringLiteral("\\*.uc")))
            found.append(name);
    return found;
}

bool PackageExporter::AskOverwrite(const QStringList &packages)
{
    const QStringList concerned = PackagesWithSources(packages);
    if (concerned.isEmpty())
        return true;
    const QString text = QLatin1String(OverwriteHead) + QStringLiteral("\r\n") + concerned.join(QStringLiteral("\r\n"))
        + QStringLiteral("\r\n") + QLatin1String(OverwriteQuestion);
    return m_model.Prompt().Ask(text, QStringLiteral("Kelvarin"), MessageIcon::Warning, MessageButtons::YesNo,
                                MessageAnswer::No)
        == MessageAnswer::Yes;
}

bool PackageExporter::Go()
{
    if (m_busy)
        return false;
    if (m_otherBusy && m_otherBusy()) {
        m_model.Prompt().Plain(QLatin1String(OtherToolBusyMessage));
        return false;
    }
    if (m_queue.IsEmpty()) {
        m_model.Prompt().Error(QLatin1String(NothingQueuedMessage));
        return false;
    }
    if (!AskOverwrite(m_queue.Entries()))
        return false;
    m_baseDir = m_model.Options().BaseDir;
    m_uccFailed = false;
    SetBusy(true);
    ExportFirst();
    return true;
}

std::shared_ptr<RunningProcess> PackageExporter::StartUcc(const QString &package, int *code)
{
    Status(QStringLiteral("Exporting ") + package);
    const ProgramCommand command = ExportCommand(package);
    std::shared_ptr<RunningProcess> process = m_starter ? m_starter(command, code) : nullptr;
    if (!process)
        return nullptr;
    // Raising the priority needs privileges; a refusal is not worth a word.
    process->SetPriorityClass(m_model.Options().UCCPriority);
    return process;
}

bool PackageExporter::ExportNative(const QString &package, bool alwaysReport)
{
    Status(QStringLiteral("Exporting ") + package + QStringLiteral(" without UCC.exe"));
    NativeExportResult result;
    try {
        result = NativeExporter(m_baseDir).Export(package);
    } catch (const KelvarinError &error) {
        m_model.Prompt().Error(error.Message());
        return false;
    }
    const QString report = result.Report(package);
    Status(report.section(QStringLiteral("\r\n"), 0, 0));
    if (alwaysReport || !result.Complete())
        m_model.Prompt().Plain(report);
    return result.Complete();
}

void PackageExporter::ExportFirst()
{
    // A new ticket even when the start fails: an earlier process that was
    // cancelled is no longer current either way.
    const quint64 ticket = ++m_ticket;
    // The old watch goes first: no end of an earlier process arrives now.
    m_watch.reset();
    const QString package = m_queue.At(0);
    bool native = m_model.Options().bNativeExport || m_uccFailed;
    if (!native) {
        int code = 0;
        m_current = StartUcc(package, &code);
        if (!m_current) {
            m_uccFailed = native = true;
            m_model.Prompt().Plain(QString::fromLatin1(UccFallbackMessage).arg(package));
        }
    }
    if (native) {
        // Runs here and now; the queue moves on once the events queued
        // meanwhile have run, as after a process's end.
        m_current.reset();
        m_awaitingEnd = false;
        ExportNative(package, false);
        QMetaObject::invokeMethod(this, [this, ticket] { OnProcessEnded(ticket); }, Qt::QueuedConnection);
        return;
    }
    m_awaitingEnd = true;
    m_watch = m_current->Watch(this, [this, ticket] { OnProcessEnded(ticket); });
}

void PackageExporter::OnProcessEnded(quint64 ticket)
{
    // The end of a process that a later Go has replaced changes nothing.
    if (ticket != m_ticket)
        return;
    m_awaitingEnd = false;
    m_watch.reset();
    m_current.reset();
    if (!m_queue.IsEmpty()) {
        m_found.Add(m_queue.At(0));
        m_queue.RemoveAt(0);
        emit ListsChanged();
    }
    if (m_queue.IsEmpty() || !m_busy) {
        if (m_beep)
            m_beep();
        SetBusy(false);
        Status(QStringLiteral("Done"));
        return;
    }
    ExportFirst();
}

void PackageExporter::Cancel()
{
    if (!m_busy) {
        // A cancelled UCC.exe that has not ended yet: ending it again
        // escalates (SIGKILL off Windows), so it cannot hold UCC.exe busy.
        if (m_current && m_awaitingEnd)
            m_current->Terminate(CancelExitCode);
        return;
    }
    m_found.AddMany(m_queue.Entries());
    m_queue.Clear();
    emit ListsChanged();
    if (m_current)
        m_current->Terminate(CancelExitCode);
    SetBusy(false);
}

void PackageExporter::RefreshModel()
{
    if (m_refresh) {
        m_refresh();
        return;
    }
    // A loop of another model operation may be pumping events right now;
    // changing its lists under it would pull nodes from under its feet.
    if (m_model.Busy())
        return;
    SpecPath::ForgetListings();
    PackageLoader(m_model).RefreshModel();
}

void PackageExporter::RequestCancel() noexcept
{
    s_cancelRequested.store(true, std::memory_order_relaxed);
}

bool PackageExporter::ExportPackage(const QString &package, bool *declined, bool native)
{
    if (declined)
        *declined = false;
    if (Busy())
        return false;
    if (m_otherBusy && m_otherBusy()) {
        m_model.Prompt().Plain(QLatin1String(OtherToolBusyMessage));
        return false;
    }
    const QString baseDir = m_model.Options().BaseDir;
    // The package as the System directory spells it, so the directory the
    // export makes carries the package's own name.
    QString name;
    const QString wanted = UpperCase(Trim(package));
    if (!baseDir.isEmpty() && SpecPath::IsSafeComponent(wanted)) {
        const QStringList files = FileSystem::List(baseDir + QStringLiteral("\\System\\*.u"),
                                                   FileSystem::ListWhat::Files);
        for (const QString &file : files)
            if (UpperCase(PackageName(file)) == wanted && SpecPath::IsSafeComponent(PackageName(file))) {
                name = PackageName(file);
                break;
            }
    }
    if (name.isEmpty()) {
        m_model.Prompt().Error(QStringLiteral("Cannot open file ")
                               + SpecPath::Display(baseDir + QStringLiteral("\\System\\") + Trim(package)
                                                   + QStringLiteral(".u")));
        return false;
    }
    if (!AskOverwrite({name})) {
        if (declined)
            *declined = true;
        return false;
    }

    m_baseDir = baseDir;
    SetBusy(true);
    bool exported = false;
    std::shared_ptr<RunningProcess> process;
    if (native || m_model.Options().bNativeExport) {
        exported = ExportNative(name, true);
    } else {
        int code = 0;
        process = StartUcc(name, &code);
        if (!process) {
            m_model.Prompt().Plain(QString::fromLatin1(UccFallbackMessage).arg(name));
            exported = ExportNative(name, true);
        }
    }
    if (process) {
        EventPump &pump = m_model.Pump();
        bool ended = false;
        while (!(ended = process->Wait(WaitStepMs))) {
            pump.Pump();
            if (pump.Terminating() || s_cancelRequested.load(std::memory_order_relaxed))
                break;
        }
        if (!ended) {
            // SIGTERM first so it can close its files; a program that
            // ignores it is killed by the second call.
            process->Terminate(CancelExitCode);
            if (!process->Wait(5000)) {
                process->Terminate(CancelExitCode);
                process->Wait(-1);
            }
        } else {
            exported = process->ExitCode() == 0
                && FileSystem::AnyMatch(ClassesDir(baseDir, name) + QStringLiteral("\\*.uc"));
            if (exported)
                m_model.Prompt().Plain(QString::fromLatin1(UccRanMessage).arg(name));
        }
    }
    // A request is for this export only (one that came before it started
    // ended it at once).
    s_cancelRequested.store(false, std::memory_order_relaxed);
    SetBusy(false);
    Status(QStringLiteral("Done"));
    RefreshModel();
    return exported;
}

} // namespace kelvarin
