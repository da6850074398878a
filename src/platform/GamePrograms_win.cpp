#include "platform/GamePrograms.h"

#include "platform/WindowsCommandLine.h"

namespace kelvarin::GamePrograms {

// On Windows the game's programs are started as they are written.
GameLaunch Plan(const QString &specProgram, const QString &params, const QString &specWorkingDir,
                bool /*showConsole*/)
{
    GameLaunch launch;
    const QStringList arguments = WindowsCommandLine::SplitArguments(params);
    launch.how = launch.inner = GameLaunch::How::Direct;
    launch.start.program = specProgram;
    launch.start.arguments = arguments;
    launch.start.workingDirectory = specWorkingDir;
    return launch;
}

bool IsNativeBuild(const QString &)
{
    return false;
}

QString UserFile(const QString &baseDir, const QString &fileName)
{
    return baseDir + QStringLiteral("\\System\\") + fileName;
}

QStringList UserSystemDirs()
{
    return {};
}

} // namespace kelvarin::GamePrograms
