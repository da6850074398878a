// Kills a writer with SIGKILL at random moments, a few hundred times, and
// checks that every file it writes is afterwards the old one or the new one,
// complete, with the backup where one is promised.
#include "support/GameDir.h"
#include "support/WriterVersions.h"
#include "StandinPackage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>
#include <QThread>

#include <sys/prctl.h>
#include <sys/wait.h>

#include <cerrno>
#include <csignal>

using namespace kelvarin;
using test::GameDir;

namespace {

int Rounds(int normal)
{
    const int wanted = qEnvironmentVariableIntValue("KELVARIN_KILL_ROUNDS");
    return wanted > 0 ? wanted : normal;
}

// Runs the writer until done (count writes) or until ready, then kills it
// after a random pause of up to maxPauseUs microseconds.
bool RunWriter(const QString &mode, const QString &base, int count, QRandomGenerator *killer = nullptr,
               int maxPauseUs = 0)
{
    QFile::remove(base + QLatin1String("/ready"));
    QProcess writer;
    writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    writer.setStandardOutputFile(QProcess::nullDevice());
    writer.start(QStringLiteral(KELVARIN_WRITER_LOOP), {mode, base, QString::number(count)});
    if (!writer.waitForStarted(10000))
        return false;
    if (!killer)
        return writer.waitForFinished(60000) && writer.exitStatus() == QProcess::NormalExit
               && writer.exitCode() == 0;
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(base + QLatin1String("/ready"))) {
        if (waited.elapsed() > 20000 || writer.state() == QProcess::NotRunning)
            return false;
        QThread::usleep(200);
    }
    QThread::usleep(killer->bounded(maxPauseUs));
    writer.kill();
    return writer.waitForFinished(10000);
}

} // namespace

class TestKilledWrites : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(QFileInfo::exists(QStringLiteral(KELVARIN_WRITER_LOOP)));
        // Programs whose parent we kill become ours, so that we can wait for them.
        QCOMPARE(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    }

    void killedMidWrite_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("files");   // relative to the game directory
        QTest::newRow("saving a state") << "state"
            << QStringList{"States/S.Kelvar", "States/S.UTree", "States/S.UPack", "States/S.UBind"};
        QTest::newRow("rewriting EditPackages") << "ini" << QStringList{"System/UnrealTournament.ini"};
        QTest::newRow("writing an INT file") << "int" << QStringList{"System/MyMod.int"};
        QTest::newRow("saving the options") << "options" << QStringList{"registry.reg"};
    }

    // Each file is, after every kill, the original (or missing, when there
    // was none), version A or version B, byte for byte.
    void killedMidWrite()
    {
        QFETCH(QString, mode);
        QFETCH(QStringList, files);
        GameDir game, refA, refB;
        for (const GameDir *g : {&game, &refA, &refB})
            test::WriterVersions::WriteGame(*g);
        QVERIFY(RunWriter(mode, refA.Base(), 1));
        QVERIFY(RunWriter(mode, refB.Base(), 2));

        QList<QSet<QByteArray>> versions(files.size());
        for (qsizetype i = 0; i < files.size(); ++i) {
            versions[i] = {refA.Read(files.at(i)), refB.Read(files.at(i))};
            QVERIFY(refA.Read(files.at(i)) != refB.Read(files.at(i)));
            versions[i].insert(game.Exists(files.at(i)) ? game.Read(files.at(i)) : QByteArray());
        }
        const QByteArray originalIni = game.Read(QStringLiteral("System/UnrealTournament.ini"));
        QRandomGenerator killer(20261206u + quint32(qHash(mode)));
        int changed = 0;
        for (int round = 0, rounds = Rounds(200); round < rounds; ++round) {
            QVERIFY2(RunWriter(mode, game.Base(), -1, &killer, 3000), qPrintable(QString::number(round)));
            for (qsizetype i = 0; i < files.size(); ++i) {
                const QByteArray now = game.Read(files.at(i));
                QVERIFY2(versions.at(i).contains(now),
                         qPrintable(QStringLiteral("%1: %2 bytes, not one of the versions").arg(files.at(i)).arg(now.size())));
            }
            if (mode == QLatin1String("ini") && game.Read(files.first()) != originalIni) {
                ++changed;
                const QByteArray backup = game.Read(QStringLiteral("System/UnrealTournament.ini_Backup"));
                QVERIFY2(versions.first().contains(backup), "the backup is missing or cut short");
            }
        }
        // Whatever the kills left, the next writer finishes the job.
        QVERIFY(RunWriter(mode, game.Base(), 2));
        for (const QString &file : files)
            QCOMPARE(game.Read(file), refB.Read(file));
        if (mode == QLatin1String("ini"))
            QVERIFY(changed > 0);
    }

    // Every class file that exists is complete: the template with its name.
    void killedMidNewClass()
    {
        GameDir game, ref;
        test::WriterVersions::WriteGame(game);
        test::WriterVersions::WriteGame(ref);
        QVERIFY(RunWriter(QStringLiteral("newclass"), ref.Base(), 1));
        const QByteArray templateC1 = ref.Read(QStringLiteral("MyMod/Classes/C1.uc"));
        QVERIFY(templateC1.contains("class C1 expands Actor;"));
        QRandomGenerator killer(11u);
        for (int round = 0, rounds = Rounds(150); round < rounds; ++round)
            QVERIFY(RunWriter(QStringLiteral("newclass"), game.Base(), -1, &killer, 20000));
        const QDir classes(game.Native(QStringLiteral("MyMod/Classes")));
        int created = 0;
        for (const QString &name : classes.entryList({QStringLiteral("C*.uc")}, QDir::Files)) {
            const QString className = name.chopped(3);
            QByteArray expected = templateC1;
            expected.replace("C1", className.toLatin1());
            QCOMPARE(game.Read(QLatin1String("MyMod/Classes/") + name), expected);
            ++created;
        }
        QVERIFY(created > 0);
    }

    // Kelvarin killed while UCC compiles: UCC goes on (it runs in a session
    // of its own); afterwards the package is there whole, or its backup is.
    void killedMidCompile()
    {
        GameDir game;
        test::WriterVersions::WriteGame(game);
        const QString ucc = game.Native(QStringLiteral("System/UCC.exe"));
        QVERIFY(QFile::copy(QStringLiteral(KELVARIN_UCC_STANDIN), ucc));
        QFile::setPermissions(ucc, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QTemporaryDir config;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("KELVARIN_UCC_DELAY_MS"), QStringLiteral("20"));
        const QStringList compile{"--base", game.Base(), "--yes", "--compile", "Engine"};

        QProcess cli;
        cli.setProcessEnvironment(env);
        cli.setStandardOutputFile(QProcess::nullDevice());
        cli.setStandardErrorFile(QProcess::nullDevice());
        cli.start(QStringLiteral(KELVARIN_CLI_PATH), compile);
        QVERIFY(cli.waitForFinished(60000));
        const QByteArray compiled = game.Read(QStringLiteral("System/Engine.u"));
        QCOMPARE(Standin::ReadPackage(game.Native(QStringLiteral("System/Engine.u")), nullptr),
                 Standin::PackageKind::Standin);

        QRandomGenerator killer(13u);
        for (int round = 0, rounds = Rounds(60); round < rounds; ++round) {
            cli.start(QStringLiteral(KELVARIN_CLI_PATH), compile);
            QVERIFY(cli.waitForStarted(10000));
            QThread::usleep(killer.bounded(120000));
            cli.kill();
            QVERIFY(cli.waitForFinished(10000));
            // The orphaned UCC, if any, was handed to us: let it finish.
            QElapsedTimer waited;
            waited.start();
            while (waitpid(-1, nullptr, WNOHANG) >= 0 || errno != ECHILD) {
                QVERIFY2(waited.elapsed() < 30000, "UCC did not end");
                QThread::usleep(500);
            }
            const bool present = game.Exists(QStringLiteral("System/Engine.u"));
            const QByteArray kept = present ? game.Read(QStringLiteral("System/Engine.u"))
                                            : game.Read(QStringLiteral("System/Engine.ubak"));
            QVERIFY2(kept == compiled, present ? "Engine.u is not whole" : "neither Engine.u nor its backup");
        }
        // The next compile puts everything right.
        cli.start(QStringLiteral(KELVARIN_CLI_PATH), compile);
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(game.Read(QStringLiteral("System/Engine.u")), compiled);
        QVERIFY(!game.Exists(QStringLiteral("System/Engine.ubak")));
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestKilledWrites)
#include "tst_killedwrites.moc"
