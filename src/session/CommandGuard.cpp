#include "session/CommandGuard.h"

#include "platform/Errors.h"
#include "platform/Prompter.h"

#include <exception>
#include <new>

namespace kelvarin {

QString CurrentErrorMessage()
{
    try {
        throw;
    } catch (const KelvarinError &error) {
        return error.Message();
    } catch (const std::bad_alloc &) {
        return QStringLiteral("Out of memory.");
    } catch (const std::exception &error) {
        return QString::fromLocal8Bit(error.what());
    } catch (...) {
        return QStringLiteral("Unknown error.");
    }
}

bool RunGuarded(Prompter &prompter, const std::function<void()> &command)
{
    QString message;
    try {
        command();
        return true;
    } catch (...) {
        message = CurrentErrorMessage();
    }
    try {
        prompter.Error(message);
    } catch (...) {
        // The error display itself failed; there is nowhere left to report to.
    }
    return false;
}

} // namespace kelvarin
