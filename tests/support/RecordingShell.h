#pragma once

#include "platform/Shell.h"
#include "tools/ErrorReporter.h"

#include <QCoreApplication>
#include <QList>
#include <QMetaObject>

#include <functional>

namespace kelvarin::test {

// A shell that records what it is asked and answers from a script (success
// unless told otherwise), later through the event loop like the real one.
class RecordingShell : public Shell
{
public:
    struct Call
    {
        QString kind;   // "open" request or "text editor"
        ShellRequest request;
    };

    void Open(const ShellRequest &request, ShellAnswer answer) override
    {
        calls.append(Call{QStringLiteral("shell"), request});
        Answer(std::move(answer));
    }

    void OpenInTextEditor(const QString &specFile, ShellAnswer answer, int line = 0) override
    {
        ShellRequest request;
        request.verb = QStringLiteral("open");
        request.file = specFile;
        request.line = line;
        calls.append(Call{QStringLiteral("text editor"), request});
        Answer(std::move(answer));
    }

    // Delivers every answer still queued.
    static void Settle() { QCoreApplication::processEvents(); }

    QList<Call> calls;
    QList<int> answers;   // taken in order; 42 (success) when empty
    QString missing;      // the program named with every failed answer

private:
    void Answer(ShellAnswer answer)
    {
        const int code = answers.isEmpty() ? 42 : answers.takeFirst();
        const QString named = code > 32 ? QString() : missing;
        if (answer)
            QMetaObject::invokeMethod(QCoreApplication::instance(), [answer, code, named] { answer(code, named); },
                                      Qt::QueuedConnection);
    }
};

// Records the launch error box's calls; onShow runs as each is shown.
class RecordingErrors : public ErrorReporter
{
public:
    void ShowError(int code, const QString &target) override
    {
        shown.append({code, target});
        if (onShow)
            onShow();
    }
    QList<QPair<int, QString>> shown;
    std::function<void()> onShow;
};

} // namespace kelvarin::test
