#pragma once

#include "tools/ErrorReporter.h"

namespace kelvarin {

class StreamPrompter;

// The launch error box of a run without a window: its text as one message
// line on standard error, counted as an error.
class StreamErrorReporter : public ErrorReporter
{
public:
    explicit StreamErrorReporter(StreamPrompter &prompter) : m_prompter(prompter) {}
    void ShowError(int code, const QString &target) override;

private:
    StreamPrompter &m_prompter;
};

} // namespace kelvarin
