#include "platform/gui/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>

namespace kelvarin {

namespace {

constexpr int ConnectWaitMs = 2000;
// How long a later start keeps trying when the lock is held but nobody
// answers yet: the holder may be between taking the lock and listening, or
// taking over the lock of a crashed instance.
constexpr int HandOverWaitMs = 5000;
constexpr int RetryMs = 50;

} // namespace

SingleInstance::SingleInstance(const QString &name, QObject *parent)
    : QObject(parent), m_name(name)
{
}

SingleInstance::~SingleInstance()
{
    Release();
}

bool SingleInstance::TryAcquire(const QString &file)
{
    if (m_holding)
        return true;
    m_lock = std::make_unique<QLockFile>(QDir::temp().filePath(m_name + QStringLiteral(".lock")));
    // Never stale by age (a long session is no reason to give up the lock);
    // only a lock whose owner process has gone is taken over.
    m_lock->setStaleLockTime(0);
    // A name too long for a request still brings the running one forward.
    const QString sent = FormatRequest(1, 1, file).isEmpty() ? QString() : file;
    const QDeadlineTimer deadline(HandOverWaitMs);
    while (!m_lock->tryLock(0)) {
        // Whoever holds the lock runs: never start beside it. Hand over to it
        // as soon as it listens; give up when it never does.
        if (SendRequest(m_name, 1, 1, sent) || m_lock->error() != QLockFile::LockFailedError
            || deadline.hasExpired()) {
            m_lock.reset();
            return false;
        }
        QThread::msleep(RetryMs);
    }
    m_holding = true;
    // The lock is ours, so a socket of that name can only be a left-over of a
    // crashed instance.
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::AcceptConnections);
    // Without the socket later starts cannot reach us, but this instance still
    // runs alone: the lock is what keeps others out.
    m_server->listen(m_name);
    return true;
}

void SingleInstance::Release()
{
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
    m_holding = false;
}

std::optional<SingleInstance::Request> SingleInstance::ParseRequest(const QByteArray &line)
{
    const QList<QByteArray> parts = line.simplified().split(' ');
    if (parts.size() != 2 && !(parts.size() == 4 && parts[2] == "open"))
        return std::nullopt;
    Request request;
    bool ok1 = false;
    bool ok2 = false;
    request.wParam = parts[0].toInt(&ok1);
    request.lParam = parts[1].toInt(&ok2);
    if (!ok1 || !ok2)
        return std::nullopt;
    if (parts.size() == 4) {
        request.file = QString::fromUtf8(QByteArray::fromPercentEncoding(parts[3]));
        // The sender's working directory is not ours: only whole paths mean
        // the same file here.
        if (request.file.contains(QChar(0)) || !QDir::isAbsolutePath(request.file))
            return std::nullopt;
    }
    return request;
}

QByteArray SingleInstance::FormatRequest(int wParam, int lParam, const QString &file)
{
    QByteArray line = QByteArray::number(wParam) + ' ' + QByteArray::number(lParam);
    if (!file.isEmpty())
        line += " open " + file.toUtf8().toPercentEncoding("/");
    line += '\n';
    if (line.size() > MaxRequestBytes)
        return QByteArray();
    return line;
}

bool SingleInstance::SendRequest(const QString &name, int wParam, int lParam, const QString &file)
{
    const QByteArray request = FormatRequest(wParam, lParam, file);
    if (request.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(ConnectWaitMs))
        return false;
    socket.write(request);
    // A long request may take more than one write to leave.
    while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(ConnectWaitMs)) {
    }
    const bool written = socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(ConnectWaitMs);
    return written;
}

void SingleInstance::AcceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadRequests(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // The sender may already have written and gone.
        ReadRequests(socket);
    }
}

void SingleInstance::ReadRequests(QLocalSocket *socket)
{
    // The requests are handed on from the event loop, not from inside the
    // socket's signal: a handler may run an event loop of its own (the main
    // window's first show loads the default state), in which the sender's
    // hang-up deletes this socket while its signal is still being delivered.
    QList<Request> requests;
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine(MaxRequestBytes + 1);
        if (!line.endsWith('\n')) {
            socket->abort();   // longer than any request of ours
            break;
        }
        if (const auto request = ParseRequest(line))
            requests.append(*request);
    }
    // Whoever sends more than a request's worth without a line end is not one
    // of ours.
    if (socket->isOpen() && socket->bytesAvailable() > MaxRequestBytes)
        socket->abort();
    if (requests.isEmpty())
        return;
    QMetaObject::invokeMethod(
        this,
        [this, requests] {
            for (const Request &request : requests)
                emit RequestReceived(request.wParam, request.lParam, request.file);
        },
        Qt::QueuedConnection);
}

} // namespace kelvarin
