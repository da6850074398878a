#include "StandinJournal.h"

#include <QtGlobal>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#ifdef Q_OS_WIN
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kelvarin::Standin {

namespace {

QByteArray EscapeField(const char *text)
{
    QByteArray field;
    for (const char *p = text; p && *p; ++p) {
        switch (*p) {
        case '\t': field += "\\t"; break;
        case '\n': field += "\\n"; break;
        case '\r': field += "\\r"; break;
        default: field += *p;
        }
    }
    return field;
}

QByteArray CurrentDirectory()
{
    QByteArray buffer(4096, '\0');
    for (;;) {
#ifdef Q_OS_WIN
        if (_getcwd(buffer.data(), int(buffer.size())))
#else
        if (getcwd(buffer.data(), size_t(buffer.size())))
#endif
            return QByteArray(buffer.constData());
        if (errno != ERANGE || buffer.size() > (1 << 20))
            return QByteArray();
        buffer.resize(buffer.size() * 2);
    }
}

qint64 CurrentPid()
{
#ifdef Q_OS_WIN
    return qint64(_getpid());
#else
    return qint64(getpid());
#endif
}

void AppendOnce(const char *path, const QByteArray &line)
{
#ifdef Q_OS_WIN
    const int fd = _open(path, _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return;
    _write(fd, line.constData(), unsigned(line.size()));
    _close(fd);
#else
    const int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    // One write: with O_APPEND the kernel places the whole line at the end of
    // the file, so lines of parallel stand-ins never interleave.
    ssize_t written;
    do
        written = write(fd, line.constData(), size_t(line.size()));
    while (written < 0 && errno == EINTR);
    close(fd);
#endif
}

} // namespace

QByteArray JournalLine(qint64 pid, int argc, char **argv, const QByteArray &workingDirectory)
{
    QByteArray line = QByteArray::number(pid);
    line += '\t';
    line += EscapeField(argc > 0 ? argv[0] : "");
    line += '\t';
    line += EscapeField(workingDirectory.constData());
    for (int i = 1; i < argc; ++i) {
        line += '\t';
        line += EscapeField(argv[i]);
    }
    line += '\n';
    return line;
}

int Begin(int argc, char **argv)
{
    const char *journal = std::getenv(JournalVariable);
    if (journal && *journal)
        AppendOnce(journal, JournalLine(CurrentPid(), argc, argv, CurrentDirectory()));

    if (const char *text = std::getenv(StdoutVariable)) {
        std::fputs(text, stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }

    if (const char *exitText = std::getenv(ExitVariable); exitText && *exitText) {
        bool ok = false;
        const int code = QByteArray(exitText).trimmed().toInt(&ok);
        return ok ? code : 1;
    }
    return -1;
}

void DefaultTermination()
{
#ifndef Q_OS_WIN
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigset_t term;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    sigprocmask(SIG_UNBLOCK, &term, nullptr);
#endif
}

} // namespace kelvarin::Standin
