#include "platform/Process.h"

#include "platform/LaunchCodes.h"
#include "platform/WindowsCommandLine.h"

#include <QDir>
#include <QWinEventNotifier>

#include <atomic>

#include <windows.h>

namespace kelvarin {

struct Process::Impl
{
    HANDLE process = nullptr;
    DWORD pid = 0;
    std::atomic<bool> finished{false};
    std::atomic<int> exitCode{-1};
};

Process::Process() : d(std::make_unique<Impl>()) {}

Process::~Process()
{
    if (d->process)
        ::CloseHandle(d->process);
}

namespace {

int LaunchCodeFor(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return LaunchCode::FileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
        return LaunchCode::PathNotFound;
    case ERROR_ACCESS_DENIED:
        return LaunchCode::AccessDenied;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return LaunchCode::OutOfMemory;
    case ERROR_BAD_FORMAT:
    case ERROR_BAD_EXE_FORMAT:
        return LaunchCode::BadFormat;
    default:
        return LaunchCode::FileNotFound;
    }
}

} // namespace

std::unique_ptr<Process> Process::Start(const ProcessStart &start, int *errorCode)
{
    int ignored = 0;
    int &code = errorCode ? *errorCode : ignored;
    if (start.program.isEmpty()) {
        code = LaunchCode::FileNotFound;
        return nullptr;
    }
    // The program name is quoted by its own rule (no escapes), the
    // arguments by the C runtime's.
    QString commandLine = QLatin1Char('"') + QDir::toNativeSeparators(start.program) + QLatin1Char('"');
    if (!start.arguments.isEmpty())
        commandLine += QLatin1Char(' ') + WindowsCommandLine::Join(start.arguments);
    std::wstring command = commandLine.toStdWString();
    const std::wstring directory = QDir::toNativeSeparators(start.workingDirectory).toStdWString();

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    // Windows programs outlive their parent anyway; a group of its own keeps
    // Ctrl+C meant for this program's console away from it.
    const DWORD flags = start.ownSession ? CREATE_NEW_PROCESS_GROUP : 0;
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, flags, nullptr,
                          start.workingDirectory.isEmpty() ? nullptr : directory.c_str(),
                          &startup, &info)) {
        code = LaunchCodeFor(::GetLastError());
        return nullptr;
    }
    ::CloseHandle(info.hThread);
    std::unique_ptr<Process> process(new Process);
    process->d->process = info.hProcess;
    process->d->pid = info.dwProcessId;
    code = 0;
    return process;
}

qint64 Process::Pid() const
{
    return qint64(d->pid);
}

bool Process::Wait(int timeoutMs)
{
    if (d->finished)
        return true;
    const DWORD limit = timeoutMs < 0 ? INFINITE : DWORD(timeoutMs);
    if (::WaitForSingleObject(d->process, limit) != WAIT_OBJECT_0)
        return false;
    DWORD exitCode = 0;
    d->exitCode = ::GetExitCodeProcess(d->process, &exitCode) ? int(exitCode) : -1;
    d->finished = true;
    return true;
}

bool Process::Finished() const
{
    return d->finished;
}

int Process::ExitCode() const
{
    return d->finished ? d->exitCode.load() : -1;
}

bool Process::SetPriorityClass(int priorityClass)
{
    if (!IsPriorityClass(priorityClass) || d->finished)
        return false;
    return ::SetPriorityClass(d->process, DWORD(priorityClass)) != 0;
}

bool Process::Terminate(int exitCode)
{
    if (d->finished)
        return false;
    return ::TerminateProcess(d->process, UINT(exitCode)) != 0;
}


namespace {

// Waits on the process handle through the event loop of the thread that
// made it.
class HandleWatch : public ProcessWatch
{
public:
    HandleWatch(QObject *context, std::function<void()> ended, HANDLE process, bool endedAlready)
        : ProcessWatch(context, std::move(ended)), m_notifier(process)
    {
        QObject::connect(&m_notifier, &QWinEventNotifier::activated, [this] {
            m_notifier.setEnabled(false);
            Report();
        });
        if (endedAlready)
            Report();
    }

private:
    QWinEventNotifier m_notifier;
};

} // namespace

std::unique_ptr<ProcessWatch> Process::Watch(QObject *context, std::function<void()> ended)
{
    return std::make_unique<HandleWatch>(context, std::move(ended), d->process, Finished());
}

} // namespace kelvarin
