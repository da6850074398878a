#include "platform/SystemShell.h"
#include "platform/SystemShell_p.h"

#include "platform/LaunchCodes.h"
#include "platform/WindowsCommandLine.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>
#include <shellapi.h>

namespace kelvarin {

namespace {

// ShellExecute's answer: above 32 success, otherwise its error code.
int Execute(const wchar_t *verb, const QString &file, const QString &parameters, const QString &directory,
            bool shown)
{
    const std::wstring wideFile = QDir::toNativeSeparators(file).toStdWString();
    const std::wstring wideParameters = parameters.toStdWString();
    const std::wstring wideDirectory = QDir::toNativeSeparators(directory).toStdWString();
    const HINSTANCE result = ::ShellExecuteW(nullptr, verb, wideFile.c_str(),
                                             wideParameters.empty() ? nullptr : wideParameters.c_str(),
                                             wideDirectory.empty() ? nullptr : wideDirectory.c_str(),
                                             shown ? SW_SHOWNORMAL : SW_HIDE);
    return int(reinterpret_cast<INT_PTR>(result));
}

bool IsProgram(const QString &file)
{
    return file.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive);
}

} // namespace

void SystemShell::Open(const ShellRequest &request, ShellAnswer answer)
{
    const bool open = request.verb.isEmpty() || request.verb.compare(QLatin1String("open"), Qt::CaseInsensitive) == 0;
    if (open && !request.file.isEmpty() && !IsProgram(request.file)) {
        // A document opens with the command stored for its extension, the
        // same lookup as on every system; only without one does the shell
        // choose. The path is made absolute: the program may run elsewhere.
        const QString nativePath = QDir::toNativeSeparators(QFileInfo(request.file).absoluteFilePath());
        if (!QFileInfo::exists(nativePath)) {
            d->Answer(std::move(answer), LaunchCode::FileNotFound);
            return;
        }
        if (const std::optional<AssociatedCommand> command = d->AssociationFor(nativePath, request.line)) {
            const int code = command->program.isEmpty()
                                 ? LaunchCode::IncompleteAssociation
                                 : Execute(L"open", command->program, WindowsCommandLine::Join(command->arguments),
                                           request.directory, true);
            d->Answer(std::move(answer), code);
            return;
        }
    }
    const std::wstring verb = request.verb.toStdWString();
    d->Answer(std::move(answer), Execute(verb.empty() ? nullptr : verb.c_str(), request.file, request.parameters,
                                         request.directory, request.shown));
}

void SystemShell::OpenInTextEditor(const QString &specFile, ShellAnswer answer, int)
{
    // By name: the shell finds Notepad in the system's own folder, which is
    // not always C:\Windows.
    const QString quoted = QLatin1Char('"') + QDir::toNativeSeparators(specFile) + QLatin1Char('"');
    d->Answer(std::move(answer), Execute(L"open", QStringLiteral("notepad.exe"), quoted, QString(), true));
}

} // namespace kelvarin
