// The UCC stand-in, run as a program the way the compile and the exporter
// run it: make in a scratch game's System directory, BatchExport of its
// packages. Checks the log, the .u files and the journal.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray kGameMagic("\xC1\x83\x2A\x9E", 4);

QByteArray Utf16Le(QStringView text)
{
    QByteArray bytes;
    for (QChar c : text) {
        bytes += char(c.unicode() & 0xFF);
        bytes += char(c.unicode() >> 8);
    }
    return bytes;
}

// A scratch game: System with an ini, package directories with sources.
class Game
{
public:
    Game()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("System"));
        Write(QStringLiteral("Core/Classes/Object.uc"), "class Object\r\n\tnative;\r\n");
        Write(QStringLiteral("Engine/Classes/Actor.uc"), "class Actor extends Object native;\r\n");
        Write(QStringLiteral("Engine/Classes/Keypoint.uc"), "class Keypoint extends Actor;\r\n");
    }

    QString Path(const QString &relative) const { return m_dir.path() + QLatin1Char('/') + relative; }

    void Write(const QString &relative, const QByteArray &bytes) const
    {
        QDir().mkpath(QFileInfo(Path(relative)).path());
        QFile file(Path(relative));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    QByteArray Read(const QString &relative) const
    {
        QFile file(Path(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    bool Exists(const QString &relative) const { return QFileInfo::exists(Path(relative)); }

    void List(const QStringList &packages) const
    {
        QByteArray ini = "[URL]\r\nMap=Index.unr\r\n\r\n[Editor.EditorEngine]\r\nCacheSizeMegs=6\r\n";
        for (const QString &package : packages)
            ini += "EditPackages=" + package.toLatin1() + "\r\n";
        ini += "\r\n[Core.System]\r\nPaths=../System/*.u\r\n";
        Write(QStringLiteral("System/UnrealTournament.ini"), ini);
    }

    // Runs the stand-in in System; answers the exit code (-1 for a crash).
    int Run(const QStringList &arguments, const QStringList &environment = {}) const
    {
        QProcess process;
        process.setProgram(QStringLiteral(KELVARIN_UCC_STANDIN));
        process.setArguments(arguments);
        process.setWorkingDirectory(Path(QStringLiteral("System")));
        QStringList env = QProcessEnvironment::systemEnvironment().toStringList();
        env.append(QStringLiteral("KELVARIN_STANDIN_JOURNAL=") + Path(QStringLiteral("journal.txt")));
        env.append(environment);
        process.setEnvironment(env);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(Path(QStringLiteral("stderr.txt")));
        process.start();
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished(-1);
            return -2;
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    int Make(const QStringList &environment = {}) const
    {
        return Run({QStringLiteral("make"), QStringLiteral("-log=KelvarinCompiler.log")}, environment);
    }

    QStringList LogLines() const
    {
        const QByteArray bytes = Read(QStringLiteral("System/KelvarinCompiler.log"));
        QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

    QStringList LogLinesStarting(const QString &prefix) const
    {
        QStringList found;
        for (const QString &line : LogLines())
            if (line.startsWith(prefix))
                found.append(line);
        return found;
    }

private:
    QTemporaryDir m_dir;
};

} // namespace

class TestUccStandin : public QObject
{
    Q_OBJECT

private slots:
    void ValidSourcesCompile_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<int>("warnings");

        QTest::newRow("plain") << QByteArray("class Mod extends Actor;\r\nvar int A;\r\n") << 0;
        QTest::newRow("multi-line declaration with comments")
            << QByteArray("// header { (\r\nclass Mod /* a \" comment */\r\n\textends\r\n\tActor // parent }\r\n\tnative\r\n\tconfig(User);\r\n")
            << 0;
        QTest::newRow("comments holding quotes and braces")
            << QByteArray("class Mod extends Actor;\r\n// it's a } brace \" here\r\n/* { ( [ ' \"\r\n still */\r\nfunction F()\r\n{\r\n}\r\n")
            << 0;
        QTest::newRow("strings with braces and escaped quotes")
            << QByteArray("class Mod extends Actor;\r\nfunction F()\r\n{\r\n\tLog(\"{ ( [ \\\" } ' \\\\\");\r\n\tLog(\"\");\r\n}\r\n")
            << 0;
        QTest::newRow("name literals with blanks and quotes")
            << QByteArray("class Mod extends Actor;\r\nfunction F()\r\n{\r\n\tGotoState('Some State');\r\n\tSetTimer(1, false, 'a\"b');\r\n\tSpawn(class'Engine.Keypoint');\r\n}\r\n")
            << 0;
        QTest::newRow("#exec lines")
            << QByteArray("class Mod extends Actor;\r\n#exec TEXTURE IMPORT NAME=It's FILE=Textures\\{x}.pcx GROUP=\"Skins\r\n  #exec OBJ LOAD FILE=..\\Sounds\\a(b.uax\r\n")
            << 0;
        QTest::newRow("unquoted and odd default values")
            << QByteArray("class Mod extends Actor;\r\nvar string S;\r\ndefaultproperties\r\n{\r\n\tS=It's a {brace\r\n\tMsg=\"unclosed\r\n\tMesh=LodMesh'Botpack.Thing'\r\n\tV=(X=1.0,Y=(2)\r\n\t// a comment }\r\n}\r\n")
            << 0;
        QTest::newRow("defaultproperties brace on the keyword line")
            << QByteArray("class Mod extends Actor;\r\ndefaultproperties {\r\n\tbHidden=True\r\n}") << 0;
        QTest::newRow("no final line end, CR only lines")
            << QByteArray("class Mod extends Actor;\rfunction F()\r{\r}") << 0;
        QTest::newRow("UTF-16LE with BOM")
            << (QByteArray("\xFF\xFE")
                + Utf16Le(u"class Mod extends Actor;\r\nvar string S; // {\r\n"))
            << 0;
        QTest::newRow("name differs in case") << QByteArray("class MOD extends actor;\r\n") << 1;
        QTest::newRow("parent in the same package") << QByteArray("class Mod extends ModBase;\r\n") << 0;
        QTest::newRow("Object has no parent") << QByteArray("// no parent\r\nclass Mod\r\n\tnative;\r\n") << 0;
    }

    void ValidSourcesCompile()
    {
        QFETCH(QByteArray, source);
        QFETCH(int, warnings);
        Game game;
        game.Write(QStringLiteral("Mod/Classes/Mod.uc"), source);
        game.Write(QStringLiteral("Mod/Classes/ModBase.uc"), "class ModBase extends Actor;\r\n");
        game.List({QStringLiteral("Core"), QStringLiteral("Engine"), QStringLiteral("Mod")});

        QCOMPARE(game.Make(), 0);
        QCOMPARE(game.LogLinesStarting(QStringLiteral("Error: ")), QStringList());
        QCOMPARE(game.LogLines().last(), QStringLiteral("Log: Success - 0 error(s), %1 warnings").arg(warnings));
        QCOMPARE(game.LogLinesStarting(QStringLiteral("ExecWarning: ")).size(), warnings);
        QVERIFY(game.Exists(QStringLiteral("System/Mod.u")));
    }

    void FaultsAreFoundWithFileAndLine_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QString>("error");

        const QString file = QStringLiteral("Error: ..\\Mod\\Classes\\Mod.uc(%1) : Error, %2");
        QTest::newRow("missing brace")
            << QByteArray("class Mod extends Actor;\r\nfunction F()\r\n{\r\n\tif (true)\r\n\t{\r\n\t\tLog(\"x\");\r\n}\r\n")
            << file.arg(3).arg(QStringLiteral("Missing '}' for the '{' in this line"));
        QTest::newRow("extra brace")
            << QByteArray("class Mod extends Actor;\r\nfunction F()\r\n{\r\n}\r\n}\r\n")
            << file.arg(5).arg(QStringLiteral("Unexpected '}'"));
        QTest::newRow("string not ended on its line")
            << QByteArray("class Mod extends Actor;\r\nfunction F()\r\n{\r\n\tLog(\"open);\r\n}\r\n")
            << file.arg(4).arg(QStringLiteral("Unterminated string"));
        QTest::newRow("name not ended on its line")
            << QByteArray("class Mod extends Actor;\r\nfunction F()\r\n{\r\n\tGotoState('Idle);\r\n}\r\n")
            << file.arg(4).arg(QStringLiteral("Unterminated name"));
        QTest::newRow("comment never closed")
            << QByteArray("class Mod extends Actor;\r\nvar int A;\r\n/* to the end\r\nvar int B;\r\n")
            << file.arg(3).arg(QStringLiteral("Unterminated comment"));
        QTest::newRow("defaultproperties never closed")
            << QByteArray("class Mod extends Actor;\r\n\r\ndefaultproperties\r\n{\r\n\tbHidden=True\r\n")
            << file.arg(3).arg(QStringLiteral("Unterminated defaultproperties block"));
        QTest::newRow("class name differs from the file")
            << QByteArray("// x\r\nclass Other extends Actor;\r\n")
            << file.arg(2).arg(QStringLiteral("Class name Other does not match the file name Mod.uc"));
        QTest::newRow("unknown parent")
            << QByteArray("\r\n\r\nclass Mod\r\n\textends MissingBase;\r\n")
            << file.arg(3).arg(QStringLiteral("Superclass MissingBase of class Mod not found"));
        QTest::newRow("parent of a later package")
            << QByteArray("class Mod extends LaterThing;\r\n")
            << file.arg(1).arg(QStringLiteral("Superclass LaterThing of class Mod not found"));
        QTest::newRow("no declaration")
            << QByteArray("// only a comment\r\nvar int A;\r\n")
            << file.arg(1).arg(QStringLiteral("Missing class declaration"));
        QTest::newRow("UTF-16 source, fault on line 3")
            << (QByteArray("\xFF\xFE")
                + Utf16Le(u"class Mod extends Actor;\r\n\r\nfunction F() {\r\n"))
            << file.arg(3).arg(QStringLiteral("Missing '}' for the '{' in this line"));
    }

    void FaultsAreFoundWithFileAndLine()
    {
        QFETCH(QByteArray, source);
        QFETCH(QString, error);
        Game game;
        game.Write(QStringLiteral("Mod/Classes/Mod.uc"), source);
        game.Write(QStringLiteral("Mod/Classes/Fine.uc"), "class Fine extends Actor;\r\n");
        game.Write(QStringLiteral("Later/Classes/LaterThing.uc"), "class LaterThing extends Actor;\r\n");
        game.List({QStringLiteral("Core"), QStringLiteral("Engine"), QStringLiteral("Mod"), QStringLiteral("Later")});

        QCOMPARE(game.Make(), 1);
        QCOMPARE(game.LogLinesStarting(QStringLiteral("Error: ")), QStringList{error});
        QCOMPARE(game.LogLines().last(), QStringLiteral("Log: Compile aborted due to errors."));
        QVERIFY(!game.Exists(QStringLiteral("System/Mod.u")));
        // make stops after the failed package: the later one is not reached.
        QVERIFY(!game.LogLines().contains(QStringLiteral("Heading: --------------------Later--------------------")));
        QVERIFY(!game.Exists(QStringLiteral("System/Later.u")));
    }

    void LogShapeAndPackageOrder()
    {
        Game game;
        game.Write(QStringLiteral("Mod/Classes/Mod.uc"), "class Mod extends Keypoint;\r\n");
        game.Write(QStringLiteral("System/Core.u"), "whatever was there\r\n");
        game.List({QStringLiteral("Core"), QStringLiteral("Engine"), QStringLiteral("mod"), QStringLiteral("Engine")});

        QCOMPARE(game.Make(), 0);
        const QByteArray bytes = game.Read(QStringLiteral("System/KelvarinCompiler.log"));
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(bytes.count("\r\n"), bytes.count('\n'));
        const QStringList lines = game.LogLines();
        QVERIFY(lines.first().startsWith(QStringLiteral("Log: Log file open, ")));
        QVERIFY(lines.first().size() > 20);
        QCOMPARE(lines.mid(1), (QStringList{QStringLiteral("Heading: --------------------Core--------------------"),
                                            QStringLiteral("Heading: --------------------Engine--------------------"),
                                            QStringLiteral("Heading: --------------------mod--------------------"),
                                            QStringLiteral("Log: Success - 0 error(s), 0 warnings")}));
        // The existing Core.u is left alone, the others are written.
        QCOMPARE(game.Read(QStringLiteral("System/Core.u")), QByteArray("whatever was there\r\n"));
        QVERIFY(game.Read(QStringLiteral("System/Engine.u")).startsWith("KelvarinStandinPackage 1\n"));
        QVERIFY(game.Exists(QStringLiteral("System/mod.u")));

        // The journal: one line with pid, program, working directory, arguments.
        const QList<QByteArray> journal = game.Read(QStringLiteral("journal.txt")).split('\n');
        QCOMPARE(journal.size(), 2);
        const QList<QByteArray> fields = journal.first().split('\t');
        QCOMPARE(fields.size(), 5);
        QVERIFY(fields.at(0).toLongLong() > 0);
        QCOMPARE(fields.at(1), QByteArray(KELVARIN_UCC_STANDIN));
        QCOMPARE(QFileInfo(QString::fromLocal8Bit(fields.at(2))).canonicalFilePath(),
                 QFileInfo(game.Path(QStringLiteral("System"))).canonicalFilePath());
        QCOMPARE(fields.at(3), QByteArray("make"));
        QCOMPARE(fields.at(4), QByteArray("-log=KelvarinCompiler.log"));

        // A second make finds every .u and checks nothing.
        QCOMPARE(game.Make(), 0);
        QCOMPARE(game.LogLines().size(), 5);
    }

    void ParentsOfEarlierPackagesComeFromSourcesOrStandinPackages()
    {
        Game game;
        game.Write(QStringLiteral("Base/Classes/BaseThing.uc"), "class BaseThing extends Keypoint;\r\n");
        game.Write(QStringLiteral("Mod/Classes/ModThing.uc"), "class ModThing extends Base.BaseThing;\r\n");
        game.List({QStringLiteral("Core"), QStringLiteral("Engine"), QStringLiteral("Base")});
        QCOMPARE(game.Make(), 0);

        // Base now has only its .u: Mod's parent comes out of it.
        QVERIFY(QDir(game.Path(QStringLiteral("Base"))).removeRecursively());
        game.List({QStringLiteral("Core"), QStringLiteral("Engine"), QStringLiteral("Base"), QStringLiteral("Mod")});
        QCOMPARE(game.Make(), 0);
        QVERIFY(game.Exists(QStringLiteral("System/Mod.u")));

        // A stand-in .u that lacks the class does not vouch for it.
        game.Write(QStringLiteral("Mod/Classes/Other.uc"), "class Other extends NotInBase;\r\n");
        QVERIFY(QFile::remove(game.Path(QStringLiteral("System/Mod.u"))));
        QCOMPARE(game.Make(), 1);
        QCOMPARE(game.LogLinesStarting(QStringLiteral("Error: ")),
                 QStringList{QStringLiteral("Error: ..\\Mod\\Classes\\Other.uc(1) : Error, Superclass NotInBase of class Other not found")});
    }

    void GamePackageHidesItsClasses()
    {
        Game game;
        game.Write(QStringLiteral("System/Botpack.u"), kGameMagic + QByteArray(60, '\x01'));
        game.Write(QStringLiteral("Mod/Classes/ModWeapon.uc"), "class ModWeapon extends TournamentWeapon;\r\n");
        game.List({QStringLiteral("Core"), QStringLiteral("Engine"), QStringLiteral("Mod")});
        QCOMPARE(game.Make(), 1);

        game.List({QStringLiteral("Core"), QStringLiteral("Engine"), QStringLiteral("Botpack"), QStringLiteral("Mod")});
        QCOMPARE(game.Make(), 0);
        QVERIFY(game.Exists(QStringLiteral("System/Mod.u")));
    }

    void FailedPackageStopsTheRunAndKeepsNoPackage()
    {
        Game game;
        game.Write(QStringLiteral("Mod/Classes/A.uc"), "class A extends Actor;\r\nfunction F() {\r\n");
        game.Write(QStringLiteral("Mod/Classes/B.uc"), "class B extends Actor;\r\nvar string S;\r\ndefaultproperties\r\n{\r\n\tS=\"x\r\n");
        game.List({QStringLiteral("Core"), QStringLiteral("Engine"), QStringLiteral("Mod")});
        QCOMPARE(game.Make(), 1);
        // Every fault of the package is listed, in file order.
        QCOMPARE(game.LogLinesStarting(QStringLiteral("Error: ")),
                 (QStringList{QStringLiteral("Error: ..\\Mod\\Classes\\A.uc(2) : Error, Missing '}' for the '{' in this line"),
                              QStringLiteral("Error: ..\\Mod\\Classes\\B.uc(3) : Error, Unterminated defaultproperties block")}));
        // Core and Engine were fine and keep their new .u files.
        QVERIFY(game.Exists(QStringLiteral("System/Engine.u")));
        QVERIFY(!game.Exists(QStringLiteral("System/Mod.u")));
    }

    void PackageWithoutSources()
    {
        Game game;
        QDir().mkpath(game.Path(QStringLiteral("Empty/Classes")));
        game.Write(QStringLiteral("Empty/Classes/readme.txt"), "no sources\r\n");
        game.List({QStringLiteral("Core"), QStringLiteral("Empty")});
        QCOMPARE(game.Make(), 1);
        QCOMPARE(game.LogLinesStarting(QStringLiteral("Error: ")),
                 QStringList{QStringLiteral("Error: No source files found for package Empty in ..\\Empty\\Classes\\*.uc")});
        QCOMPARE(game.LogLines().last(), QStringLiteral("Log: Compile aborted due to errors."));
    }

    void IniWithoutSectionOrFile()
    {
        Game game;
        game.Write(QStringLiteral("System/UnrealTournament.ini"), "[URL]\r\nEditPackages=Core\r\n");
        QCOMPARE(game.Make(), 1);
        QCOMPARE(game.LogLinesStarting(QStringLiteral("Error: ")).size(), 1);
        QVERIFY(game.LogLinesStarting(QStringLiteral("Error: ")).first().contains(QStringLiteral("[Editor.EditorEngine]")));
        QVERIFY(!game.Exists(QStringLiteral("System/Core.u")));

        QVERIFY(QFile::remove(game.Path(QStringLiteral("System/UnrealTournament.ini"))));
        QCOMPARE(game.Make(), 1);
        QVERIFY(game.LogLinesStarting(QStringLiteral("Error: ")).first().startsWith(QStringLiteral("Error: Cannot open file")));
    }

    // Without its log the caller cannot tell what make did: never success,
    // also when every package compiled.
    void UnopenableLogIsNoSuccess_data()
    {
        QTest::addColumn<QString>("log");
        QTest::newRow("a directory in its place") << QStringLiteral("Taken.log");
        QTest::newRow("name too long") << QString(300, QLatin1Char('L')) + QStringLiteral(".log");
    }

    void UnopenableLogIsNoSuccess()
    {
        QFETCH(QString, log);
        Game game;
        game.List({QStringLiteral("Core")});
        QVERIFY(QDir().mkpath(game.Path(QStringLiteral("System/Taken.log/x"))));
        QCOMPARE(game.Run({QStringLiteral("make"), QStringLiteral("-log=") + log}), 1);
        QVERIFY(game.Read(QStringLiteral("stderr.txt")).contains("Unable to open the log"));
        QVERIFY(game.Exists(QStringLiteral("System/Core.u")));   // the compile itself went well
    }

    void IniArgumentNamesTheConfiguration()
    {
        Game game;
        game.List({QStringLiteral("Core")});
        game.Write(QStringLiteral("Elsewhere/My Settings.ini"), "[Editor.EditorEngine]\r\nEditPackages=Core\r\nEditPackages=Engine\r\n");
        QCOMPARE(game.Run({QStringLiteral("make"), QStringLiteral("ini=") + game.Path(QStringLiteral("Elsewhere/My Settings.ini")),
                           QStringLiteral("-log=") + game.Path(QStringLiteral("Elsewhere/Build.log"))}),
                 0);
        QVERIFY(game.Exists(QStringLiteral("System/Engine.u")));
        QVERIFY(game.Read(QStringLiteral("Elsewhere/Build.log")).startsWith("Log: Log file open, "));
        QVERIFY(!game.Exists(QStringLiteral("System/UCC.log")));
    }

    void ExportGivesBackTheSourcesByteForByte()
    {
        Game game;
        const QByteArray utf16 = QByteArray("\xFF\xFE") + Utf16Le(u"class Wide extends Actor;\r\n");
        const QByteArray plain("// \xE9\r\nclass Plain extends Wide;\ndefaultproperties\r\n{\r\n}");
        game.Write(QStringLiteral("Mod/Classes/Wide.uc"), utf16);
        game.Write(QStringLiteral("Mod/Classes/Plain.uc"), plain);
        game.List({QStringLiteral("Core"), QStringLiteral("Engine"), QStringLiteral("Mod")});
        QCOMPARE(game.Make(), 0);
        QVERIFY(QDir(game.Path(QStringLiteral("Mod"))).removeRecursively());

        // The target as the exporter builds it: base directory, backslashes.
        const QString target = game.Path(QString()) + QStringLiteral("Out Dir\\Mod\\Classes");
        QCOMPARE(game.Run({QStringLiteral("BatchExport"), QStringLiteral("mod.u"), QStringLiteral("Class"),
                           QStringLiteral("uc"), target}),
                 0);
        QCOMPARE(QDir(game.Path(QStringLiteral("Out Dir/Mod/Classes"))).entryList(QDir::Files, QDir::Name),
                 (QStringList{QStringLiteral("Plain.uc"), QStringLiteral("Wide.uc")}));
        QCOMPARE(game.Read(QStringLiteral("Out Dir/Mod/Classes/Wide.uc")), utf16);
        QCOMPARE(game.Read(QStringLiteral("Out Dir/Mod/Classes/Plain.uc")), plain);
    }

    void ExportRefusesWhatItCannotRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        QTest::newRow("game package") << kGameMagic + QByteArray(100, 'x') << QStringLiteral("package of the game itself");
        QTest::newRow("junk") << QByteArray("MZ\x90\x00junk", 8) << QStringLiteral("is not a package");
        QTest::newRow("cut short") << QByteArray("KelvarinStandinPackage 1\npackage P\nclasses 1\nclass A - 500\nclass A")
                                   << QStringLiteral("damaged");
        QTest::newRow("path in a class name")
            << QByteArray("KelvarinStandinPackage 1\npackage P\nclasses 1\nclass .. - 1\nx\nend\n")
            << QStringLiteral("no file name");
    }

    void ExportRefusesWhatItCannotRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        Game game;
        game.Write(QStringLiteral("System/P.u"), bytes);
        QCOMPARE(game.Run({QStringLiteral("BatchExport"), QStringLiteral("P.u"), QStringLiteral("Class"),
                           QStringLiteral("uc"), game.Path(QStringLiteral("P/Classes"))}),
                 1);
        const QString stderrText = QString::fromLocal8Bit(game.Read(QStringLiteral("stderr.txt")));
        QVERIFY2(stderrText.startsWith(QStringLiteral("Error: ")) && stderrText.contains(error), qPrintable(stderrText));
        QCOMPARE(QDir(game.Path(QStringLiteral("P/Classes"))).entryList(QDir::Files), QStringList());

        // A missing package file too.
        QCOMPARE(game.Run({QStringLiteral("BatchExport"), QStringLiteral("Gone.u"), QStringLiteral("Class"),
                           QStringLiteral("uc"), game.Path(QStringLiteral("Gone/Classes"))}),
                 1);
        QVERIFY(!game.Exists(QStringLiteral("Gone")));
    }

    void ExportTargetIsOneArgument()
    {
        Game game;
        game.List({QStringLiteral("Core")});
        QCOMPARE(game.Make(), 0);
        // A target split at its blank: the export goes to the first piece only,
        // as a program that takes its fourth argument does.
        QCOMPARE(game.Run({QStringLiteral("BatchExport"), QStringLiteral("Core.u"), QStringLiteral("Class"),
                           QStringLiteral("uc"), game.Path(QStringLiteral("My")), QStringLiteral("Game/Core/Classes")}),
                 0);
        QVERIFY(game.Exists(QStringLiteral("My/Object.uc")));
        QVERIFY(!game.Exists(QStringLiteral("My Game")));
    }

    void CrashMidWriteLeavesHalfAPackage()
    {
        Game game;
        game.List({QStringLiteral("Core"), QStringLiteral("Engine")});
        QCOMPARE(game.Make({QStringLiteral("KELVARIN_UCC_CRASH_MIDWRITE=1")}), -1);
        const QByteArray half = game.Read(QStringLiteral("System/Core.u"));
        QVERIFY(!half.isEmpty());
        QVERIFY(!game.Exists(QStringLiteral("System/Engine.u")));
        QVERIFY(!game.LogLines().last().startsWith(QStringLiteral("Log: Success")));

        // The half file is no package: export refuses it as damaged.
        QCOMPARE(game.Run({QStringLiteral("BatchExport"), QStringLiteral("Core.u"), QStringLiteral("Class"),
                           QStringLiteral("uc"), game.Path(QStringLiteral("X"))}),
                 1);
        QVERIFY(QString::fromLocal8Bit(game.Read(QStringLiteral("stderr.txt"))).contains(QStringLiteral("damaged")));
    }

    void PartialPackageThenHang()
    {
        Game game;
        game.List({QStringLiteral("Core")});
        QProcess process;
        process.setProgram(QStringLiteral(KELVARIN_UCC_STANDIN));
        process.setArguments({QStringLiteral("make")});
        process.setWorkingDirectory(game.Path(QStringLiteral("System")));
        QStringList env = QProcessEnvironment::systemEnvironment().toStringList();
        env.append(QStringLiteral("KELVARIN_UCC_PARTIAL_U=1"));
        process.setEnvironment(env);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start();
        QVERIFY(process.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!game.Read(QStringLiteral("System/Core.u")).isEmpty(), 20000);
        QCOMPARE(process.state(), QProcess::Running);   // still hanging after the write
        process.kill();
        QVERIFY(process.waitForFinished(20000));
        QVERIFY(!game.Read(QStringLiteral("System/Core.u")).endsWith("end\n"));
    }

    void UnwritablePackageIsAnError()
    {
        Game game;
        game.List({QStringLiteral("Core")});
        // A directory where the .u should go (root meets this too).
        QDir().mkpath(game.Path(QStringLiteral("System/Core.u/inside")));
        QCOMPARE(game.Make(), 1);
        QCOMPARE(game.LogLinesStarting(QStringLiteral("Error: ")).size(), 1);
        QVERIFY(game.LogLinesStarting(QStringLiteral("Error: ")).first().startsWith(QStringLiteral("Error: Unable to write")));
        QVERIFY(QFileInfo(game.Path(QStringLiteral("System/Core.u"))).isDir());
    }

    // In its terminal the server shows the command line it received and
    // what it does, then serves until it is told to end.
    void ServerSaysWhatItDoes()
    {
        Game game;
        QProcess process;
        process.setProgram(QStringLiteral(KELVARIN_UCC_STANDIN));
        process.setArguments({QStringLiteral("server"), QStringLiteral("ctf-face?Game=Botpack.CTFGame")});
        process.setWorkingDirectory(game.Path(QStringLiteral("System")));
        process.start();
        QVERIFY(process.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(process.bytesAvailable() > 0 && process.peek(4096).count('\n') >= 3, 20000);
        const QStringList lines = QString::fromLocal8Bit(process.readAllStandardOutput()).split(QLatin1Char('\n'));
        QCOMPARE(lines.at(0), QStringLiteral("UCC server ctf-face?Game=Botpack.CTFGame"));
        QVERIFY(lines.at(1).contains(QStringLiteral("serving ctf-face?Game=Botpack.CTFGame from ")
                                     + QDir(game.Path(QStringLiteral("System"))).canonicalPath()));
        QCOMPARE(process.state(), QProcess::Running);
        process.terminate();
        QVERIFY(process.waitForFinished(20000));
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestUccStandin)
#include "tst_uccstandin.moc"
