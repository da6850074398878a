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

#include <csignal>

using namespace kelvarin;

namespace {

const QByteArray kIniText("[Engine.Engine]\r\nGameEngine=Engine.GameEngine\r\n[Editor.EditorEngine]\r\n"
                      "EditPackages=Core\r\nCacheSizeMegs=4\r\n");

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

    Game()
    {
        options.BaseDir = scratch.Path(QStringLiteral("game"));
        scratch.CopyProgram(QStringLiteral("game/System/UCC.Exe"), QStringLiteral(KELVARIN_UCC_STANDIN));
        scratch.Write(QStringLiteral("game/System/UnrealTournament.ini"), kIniText);
        scratch.Write(QStringLiteral("game/System/Core.u"), QByteArray("\xC1\x83\x2A\x9E real package", 17));
        scratch.Write(QStringLiteral("game/MyMod/Classes/MyClass.uc"), "class MyClass extends Object;\r\n");
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
        qputenv(knob.constData(), "1");
        const auto unset = qScopeGuard([&knob] { qunsetenv(knob.constData()); });
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
        QCOMPARE(g.Read(QStringLiteral("System/UnrealTournament.ini")), kIniText);
        QVERIFY(g.prompter.shown.isEmpty());
    }

};

KELVARIN_TEST_GUILESS_MAIN(TestCompileStandin)
#include "tst_compilestandin.moc"
