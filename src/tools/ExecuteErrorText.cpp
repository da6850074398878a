#include "tools/ExecuteErrorText.h"

#include "platform/LaunchCodes.h"

namespace kelvarin {

QString ExecuteErrorText(int code, const QString &target)
{
    if (LaunchCode::Succeeded(code))
        return QString();
    switch (code) {
    case LaunchCode::FileNotFound:
    case LaunchCode::PathNotFound:
        return QLatin1String("Unable to find ") + target;
    case LaunchCode::OutOfMemory:
        return QLatin1String("Out of memory opening ") + target;
    case LaunchCode::BadFormat:
        return target + QLatin1String(" is corrupted!");
    case LaunchCode::IncompleteAssociation:
    case LaunchCode::NoAssociation:
        return QLatin1String("No program is associated with ") + target + QLatin1Char('!');
    default:
        return QLatin1String("Unknown error accessing ") + target
            + QLatin1String("\r\nError code: ") + QString::number(code)
            + QLatin1String("\r\nPlease report this at the Kelvarin issue tracker.");
    }
}

} // namespace kelvarin
