#include "platform/GamePrograms.h"

#include <algorithm>

namespace kelvarin::GamePrograms {

namespace {

QString LastComponent(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return path.mid(cut + 1);
}

} // namespace

Program Identify(const QString &fileName)
{
    const QString name = LastComponent(fileName);
    if (name.compare(QLatin1String("UnrealTournament.exe"), Qt::CaseInsensitive) == 0)
        return Program::Game;
    if (name.compare(QLatin1String("UCC.exe"), Qt::CaseInsensitive) == 0)
        return Program::Ucc;
    return Program::None;
}

} // namespace kelvarin::GamePrograms
