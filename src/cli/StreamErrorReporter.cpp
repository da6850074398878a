#include "cli/StreamErrorReporter.h"

#include "cli/StreamPrompter.h"
#include "tools/ExecuteErrorText.h"

namespace kelvarin {

void StreamErrorReporter::ShowError(int code, const QString &target)
{
    const QString text = ExecuteErrorText(code, target);
    if (text.isEmpty())
        return;
    m_prompter.NoteError();
    m_prompter.Error(text, QStringLiteral("Execution error"));
}

} // namespace kelvarin
