#include "app/gui/StartUp.h"

#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QTest>

using namespace kelvarin;

namespace {

struct Run
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the built program with no window system reachable, so whatever it
// answers it answers without one.
Run RunWithoutDisplay(const QStringList &arguments)
{
    Run run;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QStringLiteral(KELVARIN_PATH), arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace

class TestStartUp : public QObject
{
    Q_OBJECT

private slots:
    void HasDisplay_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("wayland");
        QTest::addColumn<bool>("expected");
        QTest::newRow("nothing set") << "" << "" << "" << false;
        QTest::newRow("X11") << "" << ":0" << "" << true;
        QTest::newRow("Wayland") << "" << "" << "wayland-0" << true;
        QTest::newRow("chosen platform") << "offscreen" << "" << "" << true;
    }

    void HasDisplay()
    {
        QFETCH(QString, platform);
        QFETCH(QString, display);
        QFETCH(QString, wayland);
        QFETCH(bool, expected);
        const QHash<QString, QString> env{{"QT_QPA_PLATFORM", platform},
                                          {"DISPLAY", display},
                                          {"WAYLAND_DISPLAY", wayland}};
        const bool answer = StartUp::HasDisplay(
            [&](const char *name) { return env.value(QLatin1String(name)); });
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
        QCOMPARE(answer, expected);
#else
        QVERIFY(answer);
        Q_UNUSED(expected);
#endif
    }

    void ProgramAnswersWithoutDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("--help") << QStringList{"--help"} << 0 << QByteArray("Usage: kelvarin [FILE]\n")
                                << QByteArray();
        QTest::newRow("--version") << QStringList{"--version"} << 0 << QByteArray("Kelvarin 2.7.0\n")
                                   << QByteArray();
        QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << QByteArray()
                                        << QByteArray("kelvarin: unknown option: --bogus\n\nUsage: kelvarin [FILE]");
        QTest::newRow("two files") << QStringList{"a.uc", "b.uc"} << 2 << QByteArray()
                                   << QByteArray("kelvarin: only one file");
        // Anything that would open a window still needs a display; a file
        // of no kind the program opens is said first.
        QTest::newRow("nothing") << QStringList{} << int(StartUp::ExitNoDisplay) << QByteArray()
                                 << QByteArray("kelvarin: no display found");
        QTest::newRow("a file") << QStringList{"a.Kelvar"} << int(StartUp::ExitNoDisplay) << QByteArray()
                                << QByteArray("kelvarin: no display found");
        QTest::newRow("unknown file") << QStringList{"/w/notes.txt"} << int(StartUp::ExitNoDisplay) << QByteArray()
                                      << QByteArray("kelvarin: /w/notes.txt is neither");
    }

    void ProgramAnswersWithoutDisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QVERIFY2(QFileInfo(QStringLiteral(KELVARIN_PATH)).isExecutable(), KELVARIN_PATH);
        const Run run = RunWithoutDisplay(arguments);
        QCOMPARE(run.code, code);
        QVERIFY2(out.isEmpty() ? run.out.isEmpty() : run.out.startsWith(out), run.out.constData());
        QVERIFY2(err.isEmpty() ? run.err.isEmpty() : run.err.startsWith(err), run.err.constData());
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestStartUp)
#include "tst_StartUp.moc"
