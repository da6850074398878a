#include "tools/DedicatedServerThread.h"

#include "platform/GamePrograms.h"
#include "platform/LaunchCodes.h"
#include "platform/Process.h"
#include "platform/SpecPath.h"

#include <QTimer>

#include <memory>

namespace kelvarin {

TDedicatedServerThread::TDedicatedServerThread(QObject *parent)
    : QThread(parent)
{
}

TDedicatedServerThread::~TDedicatedServerThread()
{
    Stop();
    wait();
}

void TDedicatedServerThread::SetFailureHandler(QObject *context,
                                               std::function<void(int, const QString &)> handler)
{
    if (m_failureConnection)
        disconnect(m_failureConnection);
    m_failureConnection = {};
    if (!context || !handler)
        return;
    // Queued: the thread never waits for the user to close an error box, so
    // a window that waits for the thread while closing cannot deadlock.
    m_failureConnection = connect(this, &TDedicatedServerThread::StartFailed, context,
                                  std::move(handler), Qt::QueuedConnection);
}

void TDedicatedServerThread::run()
{
    if (ProgramPath.isEmpty())
        return;

    // A server asked to be shown runs inside a terminal when there is one.
    GameLaunch plan = GamePrograms::Plan(ProgramPath, Parameters, WorkingDirectory,
                                         /*showConsole*/ true);
    int code = 0;
    std::unique_ptr<Process> server;
    if (plan.how == GameLaunch::How::Failed) {
        code = plan.errorCode;
    } else {
        // The server keeps running when this program ends.
        plan.start.ownSession = true;
        server = Process::Start(plan.start, &code);
    }
    if (!server) {
        // A failure must never read as success: a code above 32 would show
        // nothing at all.
        if (LaunchCode::Succeeded(code))
            code = 0;
        emit StartFailed(code, SpecPath::Display(ProgramPath));
        return;
    }

    m_pid = server->Pid();
    // Raising the priority needs privileges; a refusal is not worth a word.
    server->SetPriorityClass(HighPriorityClass);
    QTimer keepHigh;
    keepHigh.setInterval(WaitStepMs);
    connect(&keepHigh, &QTimer::timeout, [&server] { server->SetPriorityClass(HighPriorityClass); });
    keepHigh.start();
    // The server's end arrives through this thread's event loop.
    QObject context;
    std::unique_ptr<ProcessWatch> watch = server->Watch(&context, [this] { quit(); });
    // A Stop before the loop runs ends it at once (QThread::exec returns
    // when quit came first).
    if (!m_stop)
        exec();
    // Releasing the watch and the process object stops watching; it never
    // ends the server.
}

void TDedicatedServerThread::Stop()
{
    m_stop = true;
    quit();
}

} // namespace kelvarin
