#include "platform/gui/SingleInstance.h"

#include <unistd.h>

namespace kelvarin {

QString SingleInstance::DefaultName()
{
    return QStringLiteral("kelvarin-") + QString::number(::getuid());
}

} // namespace kelvarin
