#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <utility>

class QLocalServer;
class QLocalSocket;
class QLockFile;

namespace kelvarin {

// Keeps one running instance per user: a lock file says that an instance
// runs, a local socket of the same name carries the request of a later start
// to come forward. A crashed instance leaves a lock whose owner is dead; that
// lock counts as stale and is taken over.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // name: the per-user name of lock and socket (DefaultName() normally).
    explicit SingleInstance(const QString &name = DefaultName(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // "kelvarin-" followed by the user's id.
    static QString DefaultName();

    // True when this is the first instance: the lock is held and requests are
    // received from now on. Otherwise the request "1 1" is sent to the running
    // instance and the answer is false.
    bool TryAcquire();
    bool IsHolder() const { return m_holding; }
    // Stops listening and gives the lock back.
    void Release();

    // The two numbers of a request; the running instance comes forward only
    // for 1 and 1, every other pair is ignored.
    static bool IsBringForwardRequest(int wParam, int lParam) { return wParam == 1 && lParam == 1; }
    // "w l" (blanks around allowed) → the two numbers; anything else → nothing.
    static std::optional<std::pair<int, int>> ParseRequest(const QByteArray &line);
    static QByteArray FormatRequest(int wParam, int lParam);

    // Sends one request to the instance listening under the name; false when
    // none answers.
    static bool SendRequest(const QString &name, int wParam, int lParam);

signals:
    void RequestReceived(int wParam, int lParam);

private:
    void AcceptConnections();
    void ReadRequests(QLocalSocket *socket);

    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
    bool m_holding = false;
};

} // namespace kelvarin
