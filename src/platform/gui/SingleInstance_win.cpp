#include "platform/gui/SingleInstance.h"

#include <QDir>

namespace kelvarin {

QString SingleInstance::DefaultName()
{
    QString user = qEnvironmentVariable("USERNAME");
    if (user.isEmpty())
        user = QDir::home().dirName();
    return QStringLiteral("kelvarin-") + user;
}

} // namespace kelvarin
