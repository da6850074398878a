#include "platform/GamePrograms.h"
#include "platform/LaunchCodes.h"

#include "support/StandinScratch.h"

#include <QSysInfo>
#include <QtTest>

using namespace kelvarin;
using kelvarin::test::ElfHeader;
using kelvarin::test::EndOnExit;
using kelvarin::test::StandinScratch;

Q_DECLARE_METATYPE(GameLaunch::How)

namespace {

const QByteArray WindowsExe = QByteArray("MZ\x90\0\x03\0\0\0 a Windows program", 26);

} // namespace

class TestGamePrograms : public QObject
{
    Q_OBJECT

    std::unique_ptr<StandinScratch> m_scratch;

    // The game lives in game/; game paths are built with backslashes.
    QString Base() const { return m_scratch->Path(QStringLiteral("game")); }
    QString GamePath(const QString &below) const { return Base() + QLatin1Char('\\') + QString(below).replace(QLatin1Char('/'), QLatin1Char('\\')); }
    QString Native(const QString &below) const { return Base() + QLatin1Char('/') + below; }

    // Puts a file into the game: "elf" a real executable of this machine,
    // "elf32-i386", "elf32-x86_64" fake headers (ELF class, e_machine) with
    // the run bit, "noexec" a real executable without it, "dir", "mz" a
    // Windows program.
    void Put(const QString &below, const QString &kind) const
    {
        const QString relative = QStringLiteral("game/") + below;
        if (kind == QLatin1String("elf")) {
            m_scratch->CopyProgram(relative);
        } else if (kind == QLatin1String("noexec")) {
            m_scratch->CopyProgram(relative);
            QFile::setPermissions(m_scratch->Path(relative), QFile::ReadOwner | QFile::WriteOwner);
        } else if (kind == QLatin1String("elf32-i386")) {
            m_scratch->Write(relative, ElfHeader(1, 3), true);
        } else if (kind == QLatin1String("elf32-x86_64")) {
            m_scratch->Write(relative, ElfHeader(1, 62), true);
        } else if (kind == QLatin1String("dir")) {
            QDir().mkpath(m_scratch->Path(relative));
        } else if (kind == QLatin1String("mz")) {
            m_scratch->Write(relative, WindowsExe, true);
        }
    }

private slots:
    void init()
    {
        m_scratch = std::make_unique<StandinScratch>();
        QVERIFY(m_scratch->IsValid());
        QVERIFY(QDir().mkpath(Native(QStringLiteral("System"))));
    }

    void cleanup() { m_scratch.reset(); }

    void identify_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<int>("expected");
        const int game = int(GamePrograms::Program::Game);
        const int ucc = int(GamePrograms::Program::Ucc);
        const int none = int(GamePrograms::Program::None);
        QTest::newRow("game in any case") << "unrealtournament.EXE" << game;
        QTest::newRow("ucc lower case, native path") << "/home/u/ut/System/ucc.exe" << ucc;
        QTest::newRow("another program") << "UnrealEd.exe" << none;
        QTest::newRow("name as a prefix") << "UCC.exe.bak" << none;
        QTest::newRow("empty") << "" << none;
    }

    void identify()
    {
        QFETCH(QString, fileName);
        QTEST(int(GamePrograms::Identify(fileName)), "expected");
    }

    void nativeBuild_data()
    {
        // files: "path=kind" pairs put into the game beside System/<program>,
        // a Windows program; program: the one planned; expected: the binary
        // chosen, "" for none (then the .exe is run by wine).
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("expected");
        const QString game = QStringLiteral("UnrealTournament.exe");
        QTest::newRow("ut-bin over the exe") << QStringList{"System/ut-bin=elf"} << game << "System/ut-bin";
        QTest::newRow("System64 before System") << QStringList{"System/ut-bin=elf", "System64/ut-bin=elf"} << game
                                                << "System64/ut-bin";
        QTest::newRow("64-bit before 32-bit") << QStringList{"System/ut-bin=elf32-i386", "System64/ut-bin-amd64=elf"}
                                              << game << "System64/ut-bin-amd64";
        QTest::newRow("32-bit when it is all there is") << QStringList{"System/ut-bin=elf32-i386"} << game << "System/ut-bin";
        QTest::newRow("ucc-bin for UCC") << QStringList{"System/ut-bin=elf", "System/ucc-bin=elf"} << "UCC.exe"
                                         << "System/ucc-bin";
        QTest::newRow("class and machine disagree") << QStringList{"System/ut-bin=elf32-x86_64"} << game << "";
        QTest::newRow("no execute bit") << QStringList{"System/ut-bin=noexec"} << game << "";
        QTest::newRow("not one of the game's programs") << QStringList{"System/ut-bin=elf", "System/ucc-bin=elf"}
                                                        << "UnrealEd.exe" << "";
    }

    void nativeBuild()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, program);
        QFETCH(QString, expected);
        if (QSysInfo::currentCpuArchitecture() != QLatin1String("x86_64"))
            QSKIP("the stand-in's machine decides these cases on x86_64 hosts");
        Put(QStringLiteral("System/") + program, QStringLiteral("mz"));
        for (const QString &file : files)
            Put(file.section(QLatin1Char('='), 0, 0), file.section(QLatin1Char('='), 1));
        m_scratch->AddProgram(QStringLiteral("wine"));

        // The system directory in another case than on disk still finds it.
        const GameLaunch launch = GamePrograms::Plan(GamePath(QStringLiteral("SYSTEM/") + program),
                                                     QStringLiteral("ctf-face -log=\"a b\""), GamePath(QStringLiteral("System")));
        if (expected.isEmpty()) {
            QCOMPARE(launch.how, GameLaunch::How::Wine);
            QCOMPARE(launch.start.arguments.value(0), Native(QStringLiteral("System/") + program));
            return;
        }
        QCOMPARE(launch.how, GameLaunch::How::Native);
        QCOMPARE(launch.inner, GameLaunch::How::Native);
        QCOMPARE(launch.start.program, Native(expected));
        QCOMPARE(launch.start.arguments, (QStringList{"ctf-face", "-log=a b"}));
        QCOMPARE(launch.start.workingDirectory, QFileInfo(Native(expected)).path());
        QVERIFY(GamePrograms::IsNativeBuild(Base()));
    }

    // console: what a console start finds, "display" and/or "terminal"
    // (an x-terminal-emulator on PATH); "" a start without a console. When
    // no terminal can be had the program runs as it is; when a display is
    // missing is the desktop test's to check.
    void plan_data()
    {
        QTest::addColumn<QString>("kind");          // what System/Tool.exe is; "" missing
        QTest::addColumn<bool>("wine");             // a wine stand-in on PATH
        QTest::addColumn<QString>("console");
        QTest::addColumn<GameLaunch::How>("how");
        QTest::addColumn<int>("errorCode");
        QTest::newRow("windows program through wine") << "mz" << true << "" << GameLaunch::How::Wine << 0;
        QTest::newRow("windows program without wine")
            << "mz" << false << "" << GameLaunch::How::Failed << LaunchCode::NoAssociation;
        QTest::newRow("executable run directly") << "elf" << true << "" << GameLaunch::How::Direct << 0;
        QTest::newRow("a directory is left to the start") << "dir" << false << "" << GameLaunch::How::Direct << 0;
        QTest::newRow("missing") << "" << true << "" << GameLaunch::How::Failed << LaunchCode::FileNotFound;
        QTest::newRow("console in a terminal") << "elf" << false << "display terminal" << GameLaunch::How::Terminal << 0;
        QTest::newRow("console without a terminal") << "elf" << false << "display" << GameLaunch::How::Direct << 0;
    }

    void plan()
    {
        QFETCH(QString, kind);
        QFETCH(bool, wine);
        QFETCH(QString, console);
        QFETCH(GameLaunch::How, how);
        QFETCH(int, errorCode);
        if (!kind.isEmpty())
            Put(QStringLiteral("System/Tool.exe"), kind);
        const QString winePath = wine ? m_scratch->AddProgram(QStringLiteral("wine")) : QString();
        if (console.contains(QLatin1String("display")))
            qputenv("DISPLAY", ":99");
        const QString terminalPath =
            console.contains(QLatin1String("terminal")) ? m_scratch->AddProgram(QStringLiteral("x-terminal-emulator")) : QString();
        QVERIFY(QDir().mkpath(Native(QStringLiteral("Work Dir"))));

        const GameLaunch launch = GamePrograms::Plan(GamePath(QStringLiteral("System/tool.EXE")), QStringLiteral("x \"y z\""),
                                                     GamePath(QStringLiteral("work dir")), !console.isEmpty());
        QCOMPARE(launch.how, how);
        QCOMPARE(launch.inner, how == GameLaunch::How::Terminal ? GameLaunch::How::Direct : how);
        QCOMPARE(launch.errorCode, errorCode);
        if (how == GameLaunch::How::Failed)
            return;
        const QString tool = Native(QStringLiteral("System/Tool.exe"));
        if (how == GameLaunch::How::Wine) {
            QCOMPARE(launch.start.program, winePath);
            QCOMPARE(launch.start.arguments, (QStringList{tool, "x", "y z"}));
        } else if (how == GameLaunch::How::Terminal) {
            QCOMPARE(launch.start.program, terminalPath);
            QCOMPARE(launch.start.arguments, (QStringList{"-e", tool, "x", "y z"}));
        } else {
            QCOMPARE(launch.start.program, tool);
            QCOMPARE(launch.start.arguments, (QStringList{"x", "y z"}));
        }
        QCOMPARE(launch.start.workingDirectory, Native(QStringLiteral("Work Dir")));
    }

    void userFile_data()
    {
        QTest::addColumn<bool>("native");
        QTest::addColumn<QStringList>("homeFiles");   // below the scratch HOME
        QTest::addColumn<QString>("expected");        // below HOME, or "" for the game path
        const QString ini = QStringLiteral("UnrealTournament.ini");
        QTest::newRow("utpg copy") << true << QStringList{".utpg/System/" + ini, ".loki/ut/System/" + ini}
                                   << ".utpg/System/" + ini;
        QTest::newRow("loki copy") << true << QStringList{".loki/ut/System/" + ini} << ".loki/ut/System/" + ini;
        QTest::newRow("no copy") << true << QStringList{} << "";
        QTest::newRow("not a native build") << false << QStringList{".utpg/System/" + ini} << "";
    }

    void userFile()
    {
        QFETCH(bool, native);
        QFETCH(QStringList, homeFiles);
        QFETCH(QString, expected);
        if (native && QSysInfo::currentCpuArchitecture() != QLatin1String("x86_64"))
            QSKIP("the stand-in makes a native build on x86_64 hosts");
        if (native)
            Put(QStringLiteral("System/ut-bin"), QStringLiteral("elf"));
        Put(QStringLiteral("System/UnrealTournament.exe"), QStringLiteral("mz"));
        for (const QString &file : homeFiles)
            m_scratch->Write(QStringLiteral("home/") + file, "[Engine.Engine]\r\n");
        QCOMPARE(GamePrograms::IsNativeBuild(Base()), native);

        const QString answer = GamePrograms::UserFile(Base(), QStringLiteral("UnrealTournament.ini"));
        if (expected.isEmpty())
            QCOMPARE(answer, Base() + QStringLiteral("\\System\\UnrealTournament.ini"));
        else
            QCOMPARE(answer, m_scratch->Path(QStringLiteral("home/") + expected));
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestGamePrograms)
#include "tst_gameprograms.moc"
