#pragma once

#include "platform/Errors.h"

#include <QString>

namespace kelvarin::test {

// The message of the KelvarinError an action raises, or empty.
template <typename Action>
QString Raised(Action &&action)
{
    try {
        action();
    } catch (const KelvarinError &error) {
        return error.Message();
    }
    return QString();
}

} // namespace kelvarin::test
