#include "platform/GamePrograms.h"

#include "platform/Desktop.h"
#include "platform/LaunchCodes.h"
#include "platform/SpecPath.h"
#include "platform/WindowsCommandLine.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <optional>

namespace kelvarin::GamePrograms {

namespace {

QByteArray FirstBytes(const QString &nativePath, qint64 count)
{
    QFile file(nativePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(count);
}

bool StartsWithMZ(const QString &nativePath)
{
    return FirstBytes(nativePath, 2) == "MZ";
}

enum class Machine { Unknown, X86, X86_64, Arm64 };

// The machine an ELF executable is built for, from its identification bytes
// and header: class (32 or 64 bit), byte order and e_machine.
Machine ElfMachine(const QString &nativePath)
{
    const QByteArray header = FirstBytes(nativePath, 20);
    if (header.size() < 20 || !header.startsWith("\x7F" "ELF"))
        return Machine::Unknown;
    const auto *bytes = reinterpret_cast<const unsigned char *>(header.constData());
    const int elfClass = bytes[4];
    const int byteOrder = bytes[5];
    int machine = 0;
    if (byteOrder == 1)
        machine = bytes[18] | (bytes[19] << 8);
    else if (byteOrder == 2)
        machine = (bytes[18] << 8) | bytes[19];
    else
        return Machine::Unknown;
    if (elfClass == 1 && machine == 3)
        return Machine::X86;
    if (elfClass == 2 && machine == 62)
        return Machine::X86_64;
    if (elfClass == 2 && machine == 183)
        return Machine::Arm64;
    return Machine::Unknown;
}

// The machines this host runs, best first; empty for hosts no native build
// of the game exists for.
QList<Machine> HostMachines()
{
    const QString arch = QSysInfo::currentCpuArchitecture();
    if (arch == QLatin1String("x86_64"))
        return {Machine::X86_64, Machine::X86};
    if (arch == QLatin1String("i386"))
        return {Machine::X86};
    if (arch == QLatin1String("arm64"))
        return {Machine::Arm64};
    return {};
}

// The native build of one of the game's programs that suits this host, in
// the System directory systemDir (native) or in System64 / SystemARM64
// beside it; empty when there is none.
QString FindNativeBinary(const QString &systemDir, Program program)
{
    const QList<Machine> host = HostMachines();
    if (host.isEmpty() || program == Program::None)
        return {};
    const QString stem = program == Program::Game ? QStringLiteral("ut-bin") : QStringLiteral("ucc-bin");
    const QString base = QFileInfo(systemDir).absolutePath();
    const QStringList dirs{
        SpecPath::ToNative(base + QStringLiteral("/System64")),
        SpecPath::ToNative(base + QStringLiteral("/SystemARM64")),
        systemDir,
    };
    const QStringList suffixes{QString(), QStringLiteral("-amd64"), QStringLiteral("-arm64"), QStringLiteral("-x86")};

    QString best;
    qsizetype bestRank = host.size();
    for (const QString &dir : dirs) {
        for (const QString &suffix : suffixes) {
            const QString candidate = dir + QLatin1Char('/') + stem + suffix;
            const QFileInfo info(candidate);
            if (!info.isFile() || !(info.permissions() & (QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther)))
                continue;
            const qsizetype rank = host.indexOf(ElfMachine(candidate));
            if (rank >= 0 && rank < bestRank) {
                best = QFileInfo(candidate).absoluteFilePath();
                bestRank = rank;
            }
        }
    }
    return best;
}

QString NativeSystemDir(const QString &baseDir)
{
    return SpecPath::ToNative(baseDir + QStringLiteral("\\System"));
}

} // namespace

GameLaunch Plan(const QString &specProgram, const QString &params, const QString &specWorkingDir,
                bool showConsole)
{
    GameLaunch launch;
    const QStringList arguments = WindowsCommandLine::SplitArguments(params);
    const QString native = SpecPath::ToNative(specProgram);
    const QString workingDir = specWorkingDir.isEmpty() ? QString() : SpecPath::ToNative(specWorkingDir);
    const QFileInfo info(native);

    const QString nativeBinary = FindNativeBinary(info.absolutePath(), Identify(specProgram));
    if (!nativeBinary.isEmpty()) {
        // A native build finds its files relative to its own directory.
        launch.how = GameLaunch::How::Native;
        launch.start.program = nativeBinary;
        launch.start.arguments = arguments;
        launch.start.workingDirectory = QFileInfo(nativeBinary).absolutePath();
    } else if (specProgram.isEmpty() || !info.exists()) {
        launch.errorCode = LaunchCode::FileNotFound;
        return launch;
    } else if (StartsWithMZ(native)) {
        const QString wine = Desktop::FindOnPath(QStringLiteral("wine"));
        if (wine.isEmpty()) {
            launch.errorCode = LaunchCode::NoAssociation;
            return launch;
        }
        launch.how = GameLaunch::How::Wine;
        launch.start.program = wine;
        launch.start.arguments = QStringList{info.absoluteFilePath()} + arguments;
        launch.start.workingDirectory = workingDir;
    } else {
        // Whatever else it is, the system decides whether it runs; a file
        // that cannot fails at the start with its own code.
        launch.how = GameLaunch::How::Direct;
        launch.start.program = info.absoluteFilePath();
        launch.start.arguments = arguments;
        launch.start.workingDirectory = workingDir;
    }
    launch.inner = launch.how;

    if (showConsole) {
        if (std::optional<ProcessStart> wrapped = Desktop::InTerminal(launch.start)) {
            launch.how = GameLaunch::How::Terminal;
            launch.start = *wrapped;
        }
    }
    return launch;
}

bool IsNativeBuild(const QString &baseDir)
{
    if (baseDir.isEmpty())
        return false;
    const QString systemDir = NativeSystemDir(baseDir);
    return !FindNativeBinary(systemDir, Program::Game).isEmpty()
        || !FindNativeBinary(systemDir, Program::Ucc).isEmpty();
}

QString UserFile(const QString &baseDir, const QString &fileName)
{
    const QString specPath = baseDir + QStringLiteral("\\System\\") + fileName;
    if (!SpecPath::IsSafeComponent(fileName) || !IsNativeBuild(baseDir))
        return specPath;
    for (const QString &dir : UserSystemDirs()) {
        const QString candidate = SpecPath::ToNative(dir + QLatin1Char('/') + fileName);
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return specPath;
}

QStringList UserSystemDirs()
{
    const QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty())
        return {};
    return {home + QLatin1String("/.utpg/System"), home + QLatin1String("/.loki/ut/System")};
}

} // namespace kelvarin::GamePrograms
