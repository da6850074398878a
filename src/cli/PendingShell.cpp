#include "cli/PendingShell.h"

#include <QCoreApplication>

namespace kelvarin {

ShellAnswer PendingShell::Counted(ShellAnswer answer)
{
    ++m_outstanding;
    return [this, answer = std::move(answer)](int code, const QString &missing) {
        --m_outstanding;
        if (answer)
            answer(code, missing);
    };
}

void PendingShell::Open(const ShellRequest &request, ShellAnswer answer)
{
    m_shell.Open(request, Counted(std::move(answer)));
}

void PendingShell::OpenInTextEditor(const QString &specFile, ShellAnswer answer, int line)
{
    m_shell.OpenInTextEditor(specFile, Counted(std::move(answer)), line);
}

void PendingShell::Settle()
{
    // An answer may ask again (the text editor after "no program"), which
    // counts before the first one is taken off.
    while (m_outstanding > 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
}

} // namespace kelvarin
