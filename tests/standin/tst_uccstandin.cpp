// The UCC stand-in, run as a program the way the compile and the exporter
// run it: what they rely on from make (the log, its error lines, the .u
// files) and from BatchExport. Its journal, cancel, crash and server paths
// are exercised by the tests of the compile, the exporter and the launchers.

#include "support/GameDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

const QByteArray kGameMagic("\xC1\x83\x2A\x9E", 4);

QByteArray Utf16Le(QStringView text)
{
    QByteArray bytes("\xFF\xFE");
    for (QChar c : text) {
        bytes += char(c.unicode() & 0xFF);
        bytes += char(c.unicode() >> 8);
    }
    return bytes;
}

// A scratch game: System with an ini, package directories with sources.
class Game : public kelvarin::test::GameDir
{
public:
    Game()
    {
        MakeDir(QStringLiteral("System"));
        WriteBytes(QStringLiteral("Core/Classes/Object.uc"), "class Object\r\n\tnative;\r\n");
        WriteBytes(QStringLiteral("Engine/Classes/Actor.uc"), "class Actor extends Object native;\r\n");
        WriteBytes(QStringLiteral("Engine/Classes/Keypoint.uc"), "class Keypoint extends Actor;\r\n");
    }

    void List(const QStringList &packages) const
    {
        QByteArray ini = "[URL]\r\nMap=Index.unr\r\n\r\n[Editor.EditorEngine]\r\nCacheSizeMegs=6\r\n";
        for (const QString &package : packages)
            ini += "EditPackages=" + package.toLatin1() + "\r\n";
        WriteBytes(QStringLiteral("System/UnrealTournament.ini"), ini + "\r\n[Core.System]\r\nPaths=../System/*.u\r\n");
    }

    // Runs the stand-in in System; answers the exit code (-1 for a crash).
    int Run(const QStringList &arguments) const
    {
        QProcess process;
        process.setWorkingDirectory(Native(QStringLiteral("System")));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KELVARIN_STANDIN_JOURNAL"), Native(QStringLiteral("journal.txt")));
        process.setProcessEnvironment(env);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(Native(QStringLiteral("stderr.txt")));
        process.start(QStringLiteral(KELVARIN_UCC_STANDIN), arguments);
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished(-1);
            return -2;
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    int Make() const { return Run({QStringLiteral("make"), QStringLiteral("-log=KelvarinCompiler.log")}); }

    QStringList LogLines(const QString &prefix = QString()) const
    {
        const QString log = QString::fromLatin1(Read(QStringLiteral("System/KelvarinCompiler.log")));
        return log.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).filter(QRegularExpression(u'^' + QRegularExpression::escape(prefix)));
    }

    int Export(const QString &package, const QString &target) const
    {
        return Run({QStringLiteral("BatchExport"), package, QStringLiteral("Class"), QStringLiteral("uc"), target});
    }
};

} // namespace

class TestUccStandin : public QObject
{
    Q_OBJECT

private slots:
    // The log the compile and its log window read: CRLF lines, the time it
    // opened, a heading per package as EditPackages spells it (once each),
    // the error line (file and line) or none, the verdict. A failed package
    // is not written and make stops there; a package already compiled is
    // left alone. One row per kind of line (success, warning, error, a
    // parent that only a later package holds); how many faults the
    // stand-in's checker tells apart is no concern of the program's.
    void make_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("warnings");
        const QString at = QStringLiteral("Error: ..\\mod\\Classes\\Mod.uc(%1) : Error, %2");
        QTest::newRow("plain") << QByteArray("class Mod extends Actor;\r\nvar int A;\r\n") << QString() << 0;
        QTest::newRow("name differs in case") << QByteArray("class MOD extends actor;\r\n") << QString() << 1;
        QTest::newRow("parent in the same package") << QByteArray("class Mod extends ModBase;\r\n") << QString() << 0;
        QTest::newRow("parent of a later package") << QByteArray("\r\nclass Mod\r\n\textends LaterThing;\r\n")
            << at.arg(2).arg(QStringLiteral("Superclass LaterThing of class Mod not found")) << 0;
        // Sources may be UTF-16: the line number counts its lines.
        QTest::newRow("UTF-16 source, fault on line 3") << Utf16Le(u"class Mod extends Actor;\r\n\r\nfunction F() {\r\n")
            << at.arg(3).arg(QStringLiteral("Missing '}' for the '{' in this line")) << 0;
    }

    void make()
    {
        QFETCH(QByteArray, source);
        QFETCH(QString, error);
        QFETCH(int, warnings);
        Game game;
        game.WriteBytes(QStringLiteral("Mod/Classes/Mod.uc"), source);
        game.WriteBytes(QStringLiteral("Mod/Classes/ModBase.uc"), "class ModBase extends Actor;\r\n");
        game.WriteBytes(QStringLiteral("Later/Classes/LaterThing.uc"), "class LaterThing extends Actor;\r\n");
        game.WriteBytes(QStringLiteral("System/Core.u"), "whatever was there\r\n");
        game.List({QStringLiteral("Core"), QStringLiteral("Engine"), QStringLiteral("mod"), QStringLiteral("Engine"),
                   QStringLiteral("Later")});

        QCOMPARE(game.Make(), error.isEmpty() ? 0 : 1);
        const QByteArray bytes = game.Read(QStringLiteral("System/KelvarinCompiler.log"));
        QCOMPARE(bytes.count("\r\n"), bytes.count('\n'));
        QVERIFY(game.LogLines().first().startsWith(QStringLiteral("Log: Log file open, ")));
        QStringList headings;
        for (const char *package : {"Core", "Engine", "mod", "Later"})
            headings.append(QStringLiteral("Heading: --------------------%1--------------------").arg(QLatin1String(package)));
        QCOMPARE(game.LogLines(QStringLiteral("Heading: ")), error.isEmpty() ? headings : headings.mid(0, 3));
        QCOMPARE(game.LogLines(QStringLiteral("Error: ")), error.isEmpty() ? QStringList() : QStringList{error});
        QCOMPARE(game.LogLines().last(), error.isEmpty() ? QStringLiteral("Log: Success - 0 error(s), %1 warnings").arg(warnings)
                                                         : QStringLiteral("Log: Compile aborted due to errors."));
        QCOMPARE(game.LogLines(QStringLiteral("ExecWarning: ")).size(), warnings);
        QCOMPARE(game.Exists(QStringLiteral("System/mod.u")), error.isEmpty());
        QCOMPARE(game.Exists(QStringLiteral("System/Later.u")), error.isEmpty());
        QVERIFY(game.Exists(QStringLiteral("System/Engine.u")));
        QCOMPARE(game.Read(QStringLiteral("System/Core.u")), QByteArray("whatever was there\r\n"));
    }

    void exportGivesBackTheSourcesByteForByte()
    {
        Game game;
        const QByteArray utf16 = Utf16Le(u"class Wide extends Actor;\r\n");
        const QByteArray plain("// \xE9\r\nclass Plain extends Wide;\ndefaultproperties\r\n{\r\n}");
        game.WriteBytes(QStringLiteral("Mod/Classes/Wide.uc"), utf16);
        game.WriteBytes(QStringLiteral("Mod/Classes/Plain.uc"), plain);
        game.List({QStringLiteral("Core"), QStringLiteral("Engine"), QStringLiteral("Mod")});
        QCOMPARE(game.Make(), 0);
        QVERIFY(QDir(game.Native(QStringLiteral("Mod"))).removeRecursively());

        // The target as the exporter builds it: base directory, backslashes.
        QCOMPARE(game.Export(QStringLiteral("mod.u"), game.Native(QString()) + QStringLiteral("Out Dir\\Mod\\Classes")), 0);
        QCOMPARE(QDir(game.Native(QStringLiteral("Out Dir/Mod/Classes"))).entryList(QDir::Files, QDir::Name),
                 (QStringList{QStringLiteral("Plain.uc"), QStringLiteral("Wide.uc")}));
        QCOMPARE(game.Read(QStringLiteral("Out Dir/Mod/Classes/Wide.uc")), utf16);
        QCOMPARE(game.Read(QStringLiteral("Out Dir/Mod/Classes/Plain.uc")), plain);
    }

    void exportRefusesWhatItCannotRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        QTest::newRow("game package") << kGameMagic + QByteArray(100, 'x') << QStringLiteral("package of the game itself");
        QTest::newRow("junk") << QByteArray("MZ\x90\x00junk", 8) << QStringLiteral("is not a package");
        QTest::newRow("path in a class name") << QByteArray("KelvarinStandinPackage 1\npackage P\nclasses 1\nclass .. - 1\nx\nend\n")
                                              << QStringLiteral("no file name");
    }

    void exportRefusesWhatItCannotRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        Game game;
        game.WriteBytes(QStringLiteral("System/P.u"), bytes);
        QCOMPARE(game.Export(QStringLiteral("P.u"), game.Native(QStringLiteral("P/Classes"))), 1);
        const QString stderrText = QString::fromLocal8Bit(game.Read(QStringLiteral("stderr.txt")));
        QVERIFY2(stderrText.startsWith(QStringLiteral("Error: ")) && stderrText.contains(error), qPrintable(stderrText));
        QCOMPARE(QDir(game.Native(QStringLiteral("P/Classes"))).entryList(QDir::Files), QStringList());
    }

};

KELVARIN_TEST_GUILESS_MAIN(TestUccStandin)
#include "tst_uccstandin.moc"
