#pragma once

#include <QString>

namespace kelvarin {

// Shows a failed launch to the user: the launch error box in the window,
// a line on standard error in kelvarin-cli, a record in tests.
class ErrorReporter
{
public:
    virtual ~ErrorReporter() = default;
    // code: a shell answer or a system error code; target: the path or
    // directory concerned, as the user should read it. Codes of 33 and more
    // show nothing.
    virtual void ShowError(int code, const QString &target) = 0;
};

} // namespace kelvarin
