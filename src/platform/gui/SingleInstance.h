#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QLocalServer;
class QLocalSocket;
class QLockFile;

namespace kelvarin {

// Keeps one running instance per user: a lock file says that an instance
// runs, a local socket of the same name carries the request of a later start
// to come forward, with the file that later start was given. A crashed
// instance leaves a lock whose owner is dead; that lock counts as stale and
// is taken over.
//
// A request is one line: two numbers, then optionally the word "open" and an
// absolute file name, percent-encoded UTF-8 ("1 1 open /a%20b/X.uc"). A line
// of the two numbers alone is what earlier versions send, and still brings
// the running instance forward.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // name: the per-user name of lock and socket (DefaultName() normally).
    explicit SingleInstance(const QString &name = DefaultName(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // "kelvarin-" followed by the user's id.
    static QString DefaultName();

    // The longest request line accepted, line end included.
    static constexpr int MaxRequestBytes = 64 * 1024;

    struct Request
    {
        int wParam = 0;
        int lParam = 0;
        QString file;   // absolute, or empty
        bool operator==(const Request &) const = default;
    };

    // True when this is the first instance: the lock is held and requests are
    // received from now on. Otherwise the request "1 1" is sent to the running
    // instance, with the file when one is given (absolute), and the answer is
    // false. While the holder does not answer yet, this keeps trying for a few
    // seconds (it may be starting, or taking over a crashed instance's lock).
    bool TryAcquire(const QString &file = QString());
    bool IsHolder() const { return m_holding; }
    // Stops listening and gives the lock back.
    void Release();

    // The two numbers of a request; the running instance comes forward only
    // for 1 and 1, every other pair is ignored.
    static bool IsBringForwardRequest(int wParam, int lParam) { return wParam == 1 && lParam == 1; }
    // "w l" or "w l open PATH" (blanks around allowed) → the request; a
    // relative or empty path, or anything else → nothing.
    static std::optional<Request> ParseRequest(const QByteArray &line);
    // The line of a request; empty when the file name is too long to send.
    static QByteArray FormatRequest(int wParam, int lParam, const QString &file = QString());

    // Sends one request to the instance listening under the name; false when
    // none answers or the request cannot be formed.
    static bool SendRequest(const QString &name, int wParam, int lParam, const QString &file = QString());

signals:
    // file: absolute, or empty when the request names none.
    void RequestReceived(int wParam, int lParam, const QString &file);

private:
    void AcceptConnections();
    void ReadRequests(QLocalSocket *socket);

    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
    bool m_holding = false;
};

} // namespace kelvarin
