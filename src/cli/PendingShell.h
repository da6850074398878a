#pragma once

#include "platform/Shell.h"

namespace kelvarin {

// Passes requests on to another shell and counts the answers still to come,
// so a run without a window can wait for them before it ends.
class PendingShell : public Shell
{
public:
    explicit PendingShell(Shell &shell) : m_shell(shell) {}

    void Open(const ShellRequest &request, ShellAnswer answer) override;
    void OpenInTextEditor(const QString &specFile, ShellAnswer answer, int line = 0) override;

    int Outstanding() const { return m_outstanding; }
    // Processes events until every answer has arrived.
    void Settle();

private:
    ShellAnswer Counted(ShellAnswer answer);

    Shell &m_shell;
    int m_outstanding = 0;
};

} // namespace kelvarin
