#pragma once

// Shared by SystemShell's implementations for each operating system.

#include "platform/SystemShell.h"

#include "platform/RunningProcess.h"

#include <QHash>
#include <QMetaObject>
#include <QObject>

#include <memory>
#include <optional>

namespace kelvarin {

// Lives on the thread that made the shell and receives the answers there.
// The answers themselves stay on that thread too: a worker only sends the
// number of its request and the code. When the shell is destroyed its
// waiting answers are dropped, so a late worker reaches nothing but this
// object, which it keeps alive through its share until it has posted.
class AnswerPost : public QObject
{
public:
    quint64 Add(ShellAnswer answer)
    {
        const quint64 id = ++m_lastId;
        if (answer)
            m_waiting.insert(id, std::move(answer));
        return id;
    }

    // Thread-safe: queues the answer for the owning thread's event loop.
    void Post(quint64 id, int code, const QString &missing = QString())
    {
        QMetaObject::invokeMethod(
            this,
            [this, id, code, missing] {
                ShellAnswer answer = m_waiting.take(id);
                if (answer)
                    answer(code, missing);
            },
            Qt::QueuedConnection);
    }

    void DropAll() { m_waiting.clear(); }

private:
    quint64 m_lastId = 0;
    QHash<quint64, ShellAnswer> m_waiting;
};

inline std::shared_ptr<AnswerPost> MakeAnswerPost()
{
    // deleteLater: the last share may be dropped on a worker thread, and the
    // object must die on its own.
    return std::shared_ptr<AnswerPost>(new AnswerPost, [](AnswerPost *post) { post->deleteLater(); });
}

struct SystemShell::Impl
{
    AssociationLookup association;
    std::shared_ptr<AnswerPost> post = MakeAnswerPost();

    void Answer(ShellAnswer answer, int code, const QString &missing = QString())
    {
        post->Post(post->Add(std::move(answer)), code, missing);
    }

    std::optional<AssociatedCommand> AssociationFor(const QString &nativePath, int line) const
    {
        return association ? association(nativePath, line) : std::nullopt;
    }

    // Used by the POSIX implementation only.
    void Document(const ShellRequest &request, ShellAnswer answer);
    void StartAndAnswer(const ProcessStart &start, ShellAnswer answer);
    void OpenWithOpener(const QString &nativePath, ShellAnswer answer);
};

} // namespace kelvarin
