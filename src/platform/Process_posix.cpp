#include "platform/Process.h"

#include "platform/Desktop.h"
#include "platform/FileDescriptor.h"
#include "platform/LaunchCodes.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace kelvarin {

struct Process::Impl
{
    pid_t pid = 0;
    FileDescriptor pidfd;    // becomes readable when the program ends (Linux 5.3 and later)
    bool ownSession = false;
    // Guards reaping against signalling: once the program is reaped its id
    // may belong to another process, so no signal may follow.
    std::mutex mutex;
    std::atomic<bool> reaped{false};
    std::atomic<int> exitCode{-1};
    int terminateCalls = 0;

    // Collects the program's status if it has ended; call with mutex held.
    void ReapIfEnded()
    {
        if (reaped)
            return;
        int status = 0;
        pid_t result;
        do {
            result = ::waitpid(pid, &status, WNOHANG);
        } while (result < 0 && errno == EINTR);
        if (result == pid) {
            exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            reaped = true;
        } else if (result < 0) {
            // Someone else reaped it (SIGCHLD ignored): it has ended, its
            // status is lost.
            exitCode = -1;
            reaped = true;
        }
    }
};

Process::Process() : d(std::make_unique<Impl>()) {}

Process::~Process()
{
    std::lock_guard lock(d->mutex);
    d->ReapIfEnded();
    if (!d->reaped) {
        // The program keeps running; a thread of its own waits for it so it
        // does not stay a zombie once it ends.
        const pid_t pid = d->pid;
        try {
            std::thread([pid] {
                int status = 0;
                while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
                }
            }).detach();
        } catch (const std::system_error &) {
            // No thread to be had: the zombie stays until this program ends.
        }
    }
}

namespace {

int LaunchCodeFor(int error)
{
    switch (error) {
    case ENOENT:
        return LaunchCode::FileNotFound;
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG:
        return LaunchCode::PathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case ETXTBSY:
        return LaunchCode::AccessDenied;
    case ENOMEM:
    case E2BIG:
    case EAGAIN:
    case EMFILE:
    case ENFILE:
        return LaunchCode::OutOfMemory;
    case ENOEXEC:
    case ELIBBAD:
        return LaunchCode::BadFormat;
    default:
        return LaunchCode::FileNotFound;
    }
}

// Owns the spawn attribute and file action objects for one start.
struct SpawnSetup
{
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
    bool attributesReady = false;
    bool actionsReady = false;

    ~SpawnSetup()
    {
        if (actionsReady)
            posix_spawn_file_actions_destroy(&actions);
        if (attributesReady)
            posix_spawnattr_destroy(&attributes);
    }
};

int Prepare(SpawnSetup &setup, const ProcessStart &start, const QByteArray &directory)
{
    int error = posix_spawnattr_init(&setup.attributes);
    if (error != 0)
        return error;
    setup.attributesReady = true;
    error = posix_spawn_file_actions_init(&setup.actions);
    if (error != 0)
        return error;
    setup.actionsReady = true;

    // The child starts with every signal at its default action and none
    // blocked, whatever this program's threads had set.
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (start.ownSession)
        flags |= POSIX_SPAWN_SETSID;
    if ((error = posix_spawnattr_setflags(&setup.attributes, flags)) != 0
        || (error = posix_spawnattr_setsigmask(&setup.attributes, &none)) != 0
        || (error = posix_spawnattr_setsigdefault(&setup.attributes, &all)) != 0)
        return error;

    if ((error = posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0)) != 0
        || (error = posix_spawn_file_actions_addopen(&setup.actions, 1, "/dev/null", O_WRONLY, 0)) != 0
        || (error = posix_spawn_file_actions_addopen(&setup.actions, 2, "/dev/null", O_WRONLY, 0)) != 0)
        return error;
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Descriptors this program forgot to mark close-on-exec (a pipe of a
    // test harness, a socket) must not stay open in the child.
    if ((error = posix_spawn_file_actions_addclosefrom_np(&setup.actions, 3)) != 0)
        return error;
#endif
    if (!directory.isEmpty()
        && (error = posix_spawn_file_actions_addchdir_np(&setup.actions, directory.constData())) != 0)
        return error;
    return 0;
}

} // namespace

std::unique_ptr<Process> Process::Start(const ProcessStart &start, int *errorCode)
{
    int ignored = 0;
    int &code = errorCode ? *errorCode : ignored;
    code = 0;

    if (start.program.isEmpty()) {
        code = LaunchCode::FileNotFound;
        return nullptr;
    }
    // A bare name is looked up on PATH here, so exec never falls back to a
    // command interpreter; a relative path is taken from this program's
    // current directory, not from the child's working directory.
    QString path;
    if (start.program.contains(QLatin1Char('/'))) {
        path = QFileInfo(start.program).absoluteFilePath();
    } else {
        path = Desktop::FindOnPath(start.program);
        if (path.isEmpty()) {
            code = LaunchCode::FileNotFound;
            return nullptr;
        }
    }

    QByteArray directory;
    if (!start.workingDirectory.isEmpty()) {
        directory = QFile::encodeName(start.workingDirectory);
        struct stat st;
        if (::stat(directory.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            code = LaunchCode::PathNotFound;
            return nullptr;
        }
    }

    const QByteArray file = QFile::encodeName(path);
    std::vector<QByteArray> argumentBytes;
    argumentBytes.reserve(size_t(start.arguments.size()) + 1);
    argumentBytes.push_back(QFile::encodeName(start.program));
    for (const QString &argument : start.arguments)
        argumentBytes.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    argv.reserve(argumentBytes.size() + 1);
    for (QByteArray &bytes : argumentBytes)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);

    SpawnSetup setup;
    int error = Prepare(setup, start, directory);
    pid_t pid = 0;
    if (error == 0) {
        // glibc reports a failed exec (missing file, no execute permission,
        // not an executable) as the return value.
        error = posix_spawn(&pid, file.constData(), &setup.actions, &setup.attributes, argv.data(), environ);
    }
    if (error != 0) {
        code = LaunchCodeFor(error);
        return nullptr;
    }

    std::unique_ptr<Process> process(new Process);
    process->d->pid = pid;
    process->d->ownSession = start.ownSession;
#ifdef SYS_pidfd_open
    process->d->pidfd.Reset(int(::syscall(SYS_pidfd_open, pid, 0)));
#endif
    return process;
}

qint64 Process::Pid() const
{
    return qint64(d->pid);
}

bool Process::Wait(int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    {
        std::lock_guard lock(d->mutex);
        d->ReapIfEnded();
        if (d->reaped)
            return true;
    }
    if (timeoutMs == 0)
        return false;
    const bool unlimited = timeoutMs < 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(unlimited ? 0 : timeoutMs);
    while (true) {
        int stepMs = 10;
        if (!unlimited) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return false;
            stepMs = int(left);
        }
        if (d->pidfd) {
            pollfd watch{d->pidfd.Get(), POLLIN, 0};
            const int ready = ::poll(&watch, 1, unlimited ? -1 : stepMs);
            if (ready < 0 && errno != EINTR) {
                // Should not happen; go on by polling the status instead.
                d->pidfd.Reset();
            }
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min(stepMs, 10)));
        }
        std::lock_guard lock(d->mutex);
        d->ReapIfEnded();
        if (d->reaped)
            return true;
    }
}

bool Process::Finished() const
{
    return d->reaped;
}

int Process::ExitCode() const
{
    return d->reaped ? d->exitCode.load() : -1;
}

bool Process::SetPriorityClass(int priorityClass)
{
    if (!IsPriorityClass(priorityClass))
        return false;
    std::lock_guard lock(d->mutex);
    d->ReapIfEnded();
    if (d->reaped)
        return false;
    return ::setpriority(PRIO_PROCESS, id_t(d->pid), NiceValue(priorityClass)) == 0;
}

// A program asked to end gets SIGTERM, which lets it close its files; one
// that ignores it is killed (SIGKILL) when Terminate is called again. A
// program in a session of its own is signalled with its whole process
// group, so the helpers it started end with it.
bool Process::Terminate(int exitCode)
{
    Q_UNUSED(exitCode);
    std::lock_guard lock(d->mutex);
    d->ReapIfEnded();
    if (d->reaped)
        return false;
    const int signal = d->terminateCalls++ == 0 ? SIGTERM : SIGKILL;
    if (d->ownSession && ::killpg(d->pid, signal) == 0)
        return true;
    return ::kill(d->pid, signal) == 0;
}


namespace {

// Waits on the pidfd through the event loop of the thread that made it.
class PidfdWatch : public ProcessWatch
{
public:
    PidfdWatch(QObject *context, std::function<void()> ended, FileDescriptor pidfd, bool endedAlready)
        : ProcessWatch(context, std::move(ended)), m_pidfd(std::move(pidfd)),
          m_notifier(m_pidfd.Get(), QSocketNotifier::Read)
    {
        // The descriptor stays readable once the program has ended: one
        // report, then the notifier rests.
        QObject::connect(&m_notifier, &QSocketNotifier::activated, [this] {
            m_notifier.setEnabled(false);
            Report();
        });
        if (endedAlready)
            Report();
    }

private:
    FileDescriptor m_pidfd;
    QSocketNotifier m_notifier;
};

// Where the kernel gives no pidfd: looks every 100 ms.
class LookingWatch : public ProcessWatch
{
public:
    LookingWatch(QObject *context, std::function<void()> ended, Process &process)
        : ProcessWatch(context, std::move(ended))
    {
        m_timer.setInterval(100);
        QObject::connect(&m_timer, &QTimer::timeout, [this, &process] {
            if (process.Wait(0)) {
                m_timer.stop();
                Report();
            }
        });
        m_timer.start();
        if (process.Finished())
            Report();
    }

private:
    QTimer m_timer;
};

} // namespace

std::unique_ptr<ProcessWatch> Process::Watch(QObject *context, std::function<void()> ended)
{
    // A descriptor of the watch's own, so that Wait giving up on its copy
    // cannot pull it from under the notifier.
    FileDescriptor pidfd;
    if (d->pidfd)
        pidfd.Reset(::fcntl(d->pidfd.Get(), F_DUPFD_CLOEXEC, 0));
    if (pidfd)
        return std::make_unique<PidfdWatch>(context, std::move(ended), std::move(pidfd), Finished());
    return std::make_unique<LookingWatch>(context, std::move(ended), *this);
}

} // namespace kelvarin
