#include "platform/SystemShell.h"
#include "platform/SystemShell_p.h"

#include "platform/Desktop.h"
#include "platform/EditorLine.h"
#include "platform/GamePrograms.h"
#include "platform/LaunchCodes.h"
#include "platform/Process.h"
#include "platform/SpecPath.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <thread>

namespace kelvarin {

namespace {

QString LastComponent(const QString &specPath)
{
    const qsizetype cut = std::max(specPath.lastIndexOf(QLatin1Char('\\')), specPath.lastIndexOf(QLatin1Char('/')));
    return specPath.mid(cut + 1);
}

// The native path of a file the user asked for, always absolute, so that a
// name starting with "-" never reaches a program as an option.
QString NativeAbsolute(const QString &specPath)
{
    return QFileInfo(SpecPath::ToNative(specPath)).absoluteFilePath();
}

bool HasDrive(const QString &path)
{
    return path.size() >= 2 && path.at(1) == QLatin1Char(':') && path.at(0).isLetter();
}

bool StartsWithMZ(const QString &nativePath)
{
    QFile file(nativePath);
    return file.open(QIODevice::ReadOnly) && file.read(2) == "MZ";
}

// The associated command, ready to start: its program found on PATH or as
// a native path, a Windows program through wine; an error code when the
// program cannot be had, with the program's name when it is not there.
struct Associated
{
    ProcessStart start;
    int errorCode = 0;
    QString missing;
};

Associated Resolve(const AssociatedCommand &command)
{
    Associated result;
    QString program = command.program;
    QStringList words = command.arguments;
    if (program.isEmpty()) {
        result.errorCode = LaunchCode::IncompleteAssociation;
        return result;
    }

    // A program that is not there is named: the file asked for exists.
    const QString written = program;
    if (!program.contains(QLatin1Char('/')) && !program.contains(QLatin1Char('\\'))) {
        program = Desktop::FindOnPath(program);
        if (program.isEmpty()) {
            result.errorCode = LaunchCode::FileNotFound;
            result.missing = written;
            return result;
        }
    } else if (HasDrive(program)) {
        // A drive letter names nothing on this system.
        result.errorCode = LaunchCode::FileNotFound;
        result.missing = written;
        return result;
    } else {
        program = QFileInfo(SpecPath::ToNative(program)).absoluteFilePath();
        if (!QFileInfo::exists(program)) {
            result.errorCode = LaunchCode::FileNotFound;
            result.missing = program;
            return result;
        }
    }

    if (StartsWithMZ(program)) {
        const QString wine = Desktop::FindOnPath(QStringLiteral("wine"));
        if (wine.isEmpty()) {
            result.errorCode = LaunchCode::NoAssociation;
            return result;
        }
        words.prepend(program);
        program = wine;
    }
    result.start.program = program;
    result.start.arguments = words;
    return result;
}

} // namespace

void SystemShell::Impl::StartAndAnswer(const ProcessStart &start, ShellAnswer answer)
{
    int code = 0;
    ProcessStart detached = start;
    detached.ownSession = true;
    // The program runs on its own; dropping the object leaves it running.
    const bool started = Process::Start(detached, &code) != nullptr;
    Answer(std::move(answer), started ? LaunchCode::Success : code);
}

void SystemShell::Impl::OpenWithOpener(const QString &nativePath, ShellAnswer answer)
{
    const QString opener = Desktop::FindOnPath(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        Answer(std::move(answer), LaunchCode::NoAssociation);
        return;
    }
    ProcessStart start;
    start.program = opener;
    start.arguments = QStringList{nativePath};
    start.ownSession = true;
    int code = 0;
    std::shared_ptr<Process> process(Process::Start(start, &code));
    if (!process) {
        Answer(std::move(answer), code);
        return;
    }
    // xdg-open's exit code tells whether a program was found: wait for it
    // off this thread.
    const quint64 id = post->Add(std::move(answer));
    std::shared_ptr<AnswerPost> target = post;
    try {
        std::thread([process, target, id] {
            process->Wait(-1);
            target->Post(id, Desktop::OpenerAnswer(process->ExitCode()));
        }).detach();
    } catch (const std::system_error &) {
        // No thread: the opener is running, which is all that can be told.
        post->Post(id, LaunchCode::Success);
    }
}

void SystemShell::Impl::Document(const ShellRequest &request, ShellAnswer answer)
{
    const QString nativePath = NativeAbsolute(request.file);
    if (request.file.isEmpty() || !QFileInfo::exists(nativePath)) {
        Answer(std::move(answer), LaunchCode::FileNotFound);
        return;
    }
    const std::optional<AssociatedCommand> command = AssociationFor(nativePath, request.line);
    if (!command) {
        OpenWithOpener(nativePath, std::move(answer));
        return;
    }
    Associated associated = Resolve(*command);
    if (associated.errorCode != 0) {
        Answer(std::move(answer), associated.errorCode, associated.missing);
        return;
    }
    if (!request.directory.isEmpty())
        associated.start.workingDirectory = SpecPath::ToNative(request.directory);
    StartAndAnswer(associated.start, std::move(answer));
}

void SystemShell::Open(const ShellRequest &request, ShellAnswer answer)
{
    // No verb is the default verb, as for the Windows shell: open.
    const bool open = request.verb.isEmpty() || request.verb.compare(QLatin1String("open"), Qt::CaseInsensitive) == 0;
    if (open) {
        if (LastComponent(request.file).endsWith(QLatin1String(".exe"), Qt::CaseInsensitive)) {
            const GameLaunch launch = GamePrograms::Plan(request.file, request.parameters, request.directory, false);
            if (launch.how == GameLaunch::How::Failed)
                d->Answer(std::move(answer), launch.errorCode);
            else
                d->StartAndAnswer(launch.start, std::move(answer));
            return;
        }
        d->Document(request, std::move(answer));
        return;
    }
    if (request.verb.compare(QLatin1String("Explore"), Qt::CaseInsensitive) == 0) {
        const QString nativeDir = NativeAbsolute(request.file);
        if (request.file.isEmpty() || !QFileInfo(nativeDir).isDir()) {
            d->Answer(std::move(answer), LaunchCode::PathNotFound);
            return;
        }
        d->OpenWithOpener(nativeDir, std::move(answer));
        return;
    }
    d->Answer(std::move(answer), LaunchCode::NoAssociation);
}

void SystemShell::OpenInTextEditor(const QString &specFile, ShellAnswer answer, int line)
{
    const QString nativePath = NativeAbsolute(specFile);
    const quint64 id = d->post->Add(std::move(answer));
    std::shared_ptr<AnswerPost> target = d->post;
    // Finding the editor runs xdg-mime and waits for it.
    auto work = [nativePath, target, id, line] {
        const std::optional<ProcessStart> editor = Desktop::TextEditorFor(nativePath);
        if (!editor) {
            target->Post(id, LaunchCode::NoAssociation);
            return;
        }
        ProcessStart start = *editor;
        start.arguments = EditorLine::WithLine(start.program, start.arguments, nativePath, line);
        start.ownSession = true;
        int code = 0;
        const bool started = Process::Start(start, &code) != nullptr;
        target->Post(id, started ? LaunchCode::Success : code);
    };
    try {
        std::thread(work).detach();
    } catch (const std::system_error &) {
        target->Post(id, LaunchCode::OutOfMemory);
    }
}

} // namespace kelvarin
