#pragma once

#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <functional>

namespace kelvarin {

// Starts one dedicated server (UCC.exe server ...) and watches it: keeps its
// priority class high while it runs and reports a failed start once, on the
// thread of the context object given. The thread runs an event loop until
// the server ends (the process's watch tells) or Stop(); meanwhile it
// raises the server's priority again every WaitStepMs. The server runs in a
// session of its own and keeps running when this program ends; Stop() only
// ends the watch.
class TDedicatedServerThread : public QThread
{
    Q_OBJECT

public:
    static constexpr int HighPriorityClass = 128;
    static constexpr int WaitStepMs = 800;

    explicit TDedicatedServerThread(QObject *parent = nullptr);
    ~TDedicatedServerThread() override;   // stops the watch and waits for it

    // Set before start(); read only by the thread afterwards. Game paths,
    // built with backslashes from BaseDir.
    QString ProgramPath;
    QString Parameters;
    QString WorkingDirectory;

    // Called on context's thread when the server cannot be started, with the
    // launch code and the program path as the user should read it. Not
    // called once context is gone. A second call replaces the handler.
    void SetFailureHandler(QObject *context, std::function<void(int code, const QString &target)> handler);

    // Ends the watch; the server keeps running. Safe from any thread, also
    // before the thread has started its event loop.
    void Stop();
    // The server's process id once started, 0 before or after a failure.
    qint64 ServerPid() const { return m_pid; }

signals:
    // Emitted once by the thread when the server cannot be started; the
    // failure handler is connected to it, queued to its context's thread.
    // Qt drops the call when the context is destroyed first, which a plain
    // pointer to the context could not guarantee across threads.
    void StartFailed(int code, const QString &target);

protected:
    void run() override;

private:
    QMetaObject::Connection m_failureConnection;
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_pid{0};
};

} // namespace kelvarin
