// Times the UCC stand-in's make:
//   1. on a generated game about the size of the full stock sources (1,500
//      classes, about 5 MB of varied valid UnrealScript), every package
//      checked and packed;
//   2. on a copy of the build tree's sample game, compiling only its mod
//      package GameKit (what "Compile this package" leaves to make).
// Usage: bench_ucc [path to kelvarin-ucc-standin] [path to the built sample]
// (defaults: ../standin/kelvarin-ucc-standin and ../sample beside this program).

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <random>

namespace {

constexpr int kPackages = 15;
constexpr int kClassesPerPackage = 100;
constexpr int kBytesPerClass = 3700;

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

// One class in one of several shapes real sources have.
QByteArray ClassSource(const QByteArray &name, const QByteArray &parent, std::mt19937 &rng)
{
    QByteArray text = "//=============================================================================\r\n"
                      "// " + name + ": generated { for the stand-in's benchmark }.\r\n"
                      "//=============================================================================\r\n";
    switch (rng() % 4) {
    case 0: text += "class " + name + " extends " + parent + ";\r\n\r\n"; break;
    case 1: text += "class " + name + " expands " + parent + "\r\n\tnative\r\n\tabstract;\r\n\r\n"; break;
    case 2: text += "class " + name + "\r\n\textends " + parent + " // its parent (\r\n\tconfig(User);\r\n\r\n"; break;
    default: text += "class " + name + " /* \" */ extends " + parent + ";\r\n\r\n"; break;
    }
    text += "#exec TEXTURE IMPORT NAME=" + name + "Skin FILE=Textures\\" + name + "{1}.pcx GROUP=Skins\r\n\r\n";
    for (int v = 0; v < 6; ++v)
        text += "var() float " + name + "Value" + QByteArray::number(v) + ";\r\n";
    text += "var int Counts[4];\r\n\r\nreplication\r\n{\r\n\treliable if( Role == ROLE_Authority )\r\n\t\tCounts;\r\n}\r\n\r\n";
    int function = 0;
    while (text.size() < kBytesPerClass - 400) {
        text += "simulated function Do" + QByteArray::number(function++) + "( int Amount, optional name Why )\r\n{\r\n"
                "\tlocal int i;\r\n\r\n"
                "\t/* a block comment with ( and [ and \" and ' */\r\n"
                "\tfor( i = 0; i < Amount; i++ )\r\n\t{\r\n"
                "\t\tCounts[i % 4] += (Amount - i) * 2; // } stray braces in a comment {\r\n"
                "\t\tif( Why == 'Some Reason' )\r\n\t\t\tLog( \"Reason: {\" @ Why @ \"\\\" done\" );\r\n"
                "\t}\r\n\tGotoState('Waiting');\r\n}\r\n\r\n";
    }
    text += "state Waiting\r\n{\r\n\tignores Bump;\r\nBegin:\r\n\tSleep(0.5);\r\n\tGoto('Begin');\r\n}\r\n\r\n"
            "defaultproperties\r\n{\r\n\t" + name + "Value0=1.000000\r\n\tMessage=It's a { value\r\n"
            "\tTitle=\"Quoted } value\"\r\n\tMesh=LodMesh'Botpack.Thing'\r\n}\r\n";
    return text;
}

// Writes the game; answers the total size of the sources.
qint64 WriteGame(const QString &dir)
{
    std::mt19937 rng(1999);
    QDir().mkpath(dir + QStringLiteral("/System"));
    QByteArray ini = "[Editor.EditorEngine]\r\n";
    QList<QByteArray> known{"Object"};
    qint64 total = 0;
    for (int p = 0; p < kPackages; ++p) {
        const QByteArray package = p == 0 ? QByteArray("Core") : "Pkg" + QByteArray::number(p);
        ini += "EditPackages=" + package + "\r\n";
        const QString classes = dir + QLatin1Char('/') + QString::fromLatin1(package) + QStringLiteral("/Classes");
        QDir().mkpath(classes);
        for (int c = 0; c < kClassesPerPackage; ++c) {
            QByteArray name;
            QByteArray source;
            if (p == 0 && c == 0) {
                name = "Object";
                source = "class Object\r\n\tnative;\r\n";
            } else {
                name = package + "Class" + QByteArray::number(c);
                const QByteArray parent = known.at(int(rng() % known.size()));
                source = ClassSource(name, rng() % 5 == 0 ? "Core." + parent : parent, rng);
                known.append(name);
            }
            WriteFile(classes + QLatin1Char('/') + QString::fromLatin1(name) + QStringLiteral(".uc"), source);
            total += source.size();
        }
    }
    WriteFile(dir + QStringLiteral("/System/UnrealTournament.ini"), ini);
    return total;
}

// Runs make in dir; answers the time in milliseconds, or -1 on failure.
qint64 TimeMake(const QString &ucc, const QString &systemDir)
{
    QProcess process;
    process.setProgram(ucc);
    process.setArguments({QStringLiteral("make"), QStringLiteral("-log=KelvarinCompiler.log")});
    process.setWorkingDirectory(systemDir);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start();
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return -1;
    return timer.elapsed();
}

bool CopyTree(const QString &from, const QString &to)
{
    QDir source(from);
    if (!QDir().mkpath(to))
        return false;
    for (const QFileInfo &entry : source.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        if (entry.isDir() ? !CopyTree(entry.filePath(), target) : !QFile::copy(entry.filePath(), target))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString here = QCoreApplication::applicationDirPath();
    const QString ucc = argc > 1 ? QString::fromLocal8Bit(argv[1]) : here + QStringLiteral("/../standin/kelvarin-ucc-standin");
    const QString sample = argc > 2 ? QString::fromLocal8Bit(argv[2]) : here + QStringLiteral("/../sample");
    if (!QFileInfo(ucc).isExecutable()) {
        std::fprintf(stderr, "No UCC stand-in at %s\n", qPrintable(ucc));
        return 2;
    }

    QTemporaryDir scratch;
    const QString game = scratch.path() + QStringLiteral("/game");
    const qint64 bytes = WriteGame(game);
    const qint64 full = TimeMake(ucc, game + QStringLiteral("/System"));
    std::printf("Full game: %d classes, %.1f MB of sources: make %s\n", kPackages * kClassesPerPackage,
                double(bytes) / (1024.0 * 1024.0),
                full < 0 ? "FAILED" : qPrintable(QStringLiteral("%1 ms").arg(full)));

    const QString copy = scratch.path() + QStringLiteral("/sample");
    if (!CopyTree(sample, copy) || !QFile::remove(copy + QStringLiteral("/System/GameKit.u"))) {
        std::fprintf(stderr, "No built sample game with GameKit.u at %s\n", qPrintable(sample));
        return 2;
    }
    const qint64 mod = TimeMake(ucc, copy + QStringLiteral("/System"));
    std::printf("Sample mod package GameKit: make %s\n", mod < 0 ? "FAILED" : qPrintable(QStringLiteral("%1 ms").arg(mod)));
    return full < 0 || mod < 0 ? 1 : 0;
}
