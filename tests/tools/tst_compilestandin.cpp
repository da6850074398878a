#include "tools/CompileRunner.h"

#include "model/Options.h"
#include "platform/EventPump.h"
#include "support/RecordingShell.h"
#include "support/ScriptedPrompter.h"
#include "support/ScriptedPump.h"
#include "support/StandinScratch.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

#include <functional>

#include <csignal>

using namespace kelvarin;

namespace {

const QByteArray kIni("[Engine.Engine]\r\nGameEngine=Engine.GameEngine\r\n[Editor.EditorEngine]\r\n"
                      "EditPackages=Core\r\nCacheSizeMegs=4\r\n");
const QByteArray kGoodClass("class MyClass extends Object;\r\n\r\nvar int Counter;\r\n\r\n"
                            "function Tick(float Delta)\r\n{\r\n    Counter++; // { not a brace\r\n}\r\n");
const QByteArray kBrokenClass("class MyClass extends Object;\r\n\r\nfunction Tick(float Delta)\r\n{\r\n"
                              "    Counter++;\r\n");

// A scratch game: System with the UCC stand-in as UCC.Exe, a Core.u the
// stand-in cannot read (so unknown parents pass), and MyMod's sources.
struct Game
{
    test::StandinScratch scratch;
    TOptions options;
    test::ScriptedPump pump;
    test::ScriptedPrompter prompter;
    test::RecordingErrors errors;
    CompileRunner runner{options, pump, prompter, errors};
    QList<QByteArray> knobs;

    Game()
    {
        options.BaseDir = scratch.Path(QStringLiteral("game"));
        scratch.CopyProgram(QStringLiteral("game/System/UCC.Exe"), QStringLiteral(KELVARIN_UCC_STANDIN));
        scratch.Write(QStringLiteral("game/System/UnrealTournament.ini"), kIni);
        scratch.Write(QStringLiteral("game/System/Core.u"), QByteArray("\xC1\x83\x2A\x9E real package", 17));
        scratch.Write(QStringLiteral("game/MyMod/Classes/MyClass.uc"), kGoodClass);
    }
    ~Game()
    {
        for (const QByteArray &knob : knobs)
            qunsetenv(knob.constData());
    }
    void Knob(const char *name, const QByteArray &value)
    {
        qputenv(name, value);
        knobs.append(name);
    }
    QString File(const QString &relative) const { return scratch.Path(QStringLiteral("game/") + relative); }
    QByteArray Read(const QString &relative) const
    {
        QFile file(File(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    bool Exists(const QString &relative) const { return QFileInfo::exists(File(relative)); }
};

bool ProcessGone(qint64 pid)
{
    return pid > 0 && ::kill(pid_t(pid), 0) != 0;
}

} // namespace

class TestCompileStandin : public QObject
{
    Q_OBJECT

private slots:
    void compile_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QByteArray>("oldPackage");
        QTest::addColumn<bool>("errors");
        QTest::newRow("clean source over an old package") << kGoodClass << QByteArray("old package") << false;
        QTest::newRow("broken source keeps the old package") << kBrokenClass << QByteArray("old package") << true;
        QTest::newRow("broken source, first compile") << kBrokenClass << QByteArray() << true;
    }

    void compile()
    {
        QFETCH(QByteArray, source);
        QFETCH(QByteArray, oldPackage);
        QFETCH(bool, errors);
        Game g;
        QVERIFY(g.scratch.IsValid());
        g.scratch.Write(QStringLiteral("game/MyMod/Classes/MyClass.uc"), source);
        if (!oldPackage.isNull())
            g.scratch.Write(QStringLiteral("game/System/MyMod.u"), oldPackage);
        const QByteArray core = g.Read(QStringLiteral("System/Core.u"));

        const CompileOutcome outcome = g.runner.CompilePackage(QStringLiteral("MyMod"));

        QCOMPARE(outcome.runState, 1);
        QCOMPARE(outcome.errorsFound, errors);
        QVERIFY(outcome.logRead);
        QCOMPARE(outcome.parsedLog.last(), QLatin1String(errors ? "Compilation stopped due to errors." : "Compilation successfull!"));
        QVERIFY(outcome.parsedLog.contains(QStringLiteral("--------------------MyMod--------------------")));
        if (errors)
            QVERIFY(!outcome.parsedLog.filter(QStringLiteral("Error: ..\\MyMod\\Classes\\MyClass.uc(")).isEmpty());
        QVERIFY(g.prompter.shown.isEmpty());
        QVERIFY(g.errors.shown.isEmpty());

        // Files after: the configuration as it was, the package as the
        // verdict says, no backup.
        QCOMPARE(g.Read(QStringLiteral("System/UnrealTournament.ini")), kIni);
        QCOMPARE(g.Read(QStringLiteral("System/Core.u")), core);
        QCOMPARE(g.Read(QStringLiteral("MyMod/Classes/MyClass.uc")), source);
        QVERIFY(!g.Exists(QStringLiteral("System/MyMod.ubak")));
        if (errors) {
            QCOMPARE(g.Exists(QStringLiteral("System/MyMod.u")), !oldPackage.isNull());
            QCOMPARE(g.Read(QStringLiteral("System/MyMod.u")), oldPackage);
        } else {
            QVERIFY(g.Exists(QStringLiteral("System/MyMod.u")));
            QVERIFY(g.Read(QStringLiteral("System/MyMod.u")) != oldPackage);
        }

        // The journal: one start of UCC, as written, in System.
        const QList<test::StandinScratch::Start> starts = g.scratch.Starts();
        QCOMPARE(starts.size(), 1);
        QCOMPARE(QFileInfo(starts.first().program).fileName(), QStringLiteral("UCC.Exe"));
        QCOMPARE(starts.first().arguments, (QStringList{"make", "-log=KelvarinCompiler.log"}));
        QCOMPARE(QFileInfo(starts.first().workingDirectory).canonicalFilePath(),
                 QFileInfo(g.File(QStringLiteral("System"))).canonicalFilePath());
        QVERIFY(ProcessGone(starts.first().pid));
    }

    // Cancel ends the stand-in and waits for it; what it wrote never stays.
    void cancel_data()
    {
        QTest::addColumn<QByteArray>("knob");
        QTest::addColumn<QByteArray>("oldPackage");
        QTest::newRow("hang, old package back") << QByteArray("KELVARIN_UCC_HANG") << QByteArray("old package");
        QTest::newRow("partial package, first compile") << QByteArray("KELVARIN_UCC_PARTIAL_U") << QByteArray();
    }

    void cancel()
    {
        QFETCH(QByteArray, knob);
        QFETCH(QByteArray, oldPackage);
        Game g;
        g.Knob(knob.constData(), "1");
        if (!oldPackage.isNull())
            g.scratch.Write(QStringLiteral("game/System/MyMod.u"), oldPackage);
        const bool partial = knob == "KELVARIN_UCC_PARTIAL_U";
        qint64 pid = 0;
        g.pump.actionAt = -1;
        g.pump.action = [&] {
            if (g.runner.RunState() != 0 || g.scratch.Starts().isEmpty())
                return;
            // With the partial knob, cancel once the cut file is there.
            if (partial && !g.Exists(QStringLiteral("System/MyMod.u")))
                return;
            pid = g.runner.RunningPid();
            g.runner.Cancel();
        };
        const CompileOutcome outcome = g.runner.CompilePackage(QStringLiteral("MyMod"));
        QCOMPARE(outcome.runState, 2);
        QVERIFY(ProcessGone(pid));
        QCOMPARE(g.Exists(QStringLiteral("System/MyMod.u")), !oldPackage.isNull());
        QCOMPARE(g.Read(QStringLiteral("System/MyMod.u")), oldPackage);
        QVERIFY(!g.Exists(QStringLiteral("System/MyMod.ubak")));
        QCOMPARE(g.Read(QStringLiteral("System/UnrealTournament.ini")), kIni);
        QVERIFY(g.prompter.shown.isEmpty());
    }

};

KELVARIN_TEST_GUILESS_MAIN(TestCompileStandin)
#include "tst_compilestandin.moc"
