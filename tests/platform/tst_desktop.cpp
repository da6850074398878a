#include "platform/Desktop.h"
#include "platform/LaunchCodes.h"

#include "support/StandinScratch.h"

#include <QtTest>

using namespace kelvarin;
using kelvarin::test::StandinScratch;

class TestDesktop : public QObject
{
    Q_OBJECT

    std::unique_ptr<StandinScratch> m_scratch;

private slots:
    void init()
    {
        m_scratch = std::make_unique<StandinScratch>();
        QVERIFY(m_scratch->IsValid());
    }

    void cleanup() { m_scratch.reset(); }

    void openerAnswer_data()
    {
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("expected");
        QTest::newRow("opened") << 0 << LaunchCode::Success;
        QTest::newRow("syntax error") << 1 << 1;
        QTest::newRow("file not found") << 2 << LaunchCode::FileNotFound;
        QTest::newRow("no program") << 3 << LaunchCode::NoAssociation;
        QTest::newRow("largest code kept") << 32 << 32;
        QTest::newRow("bad-format number") << 11 << 0;
        QTest::newRow("above 32") << 33 << 0;
        QTest::newRow("ended by a signal") << -1 << 0;
    }

    void openerAnswer()
    {
        QFETCH(int, exitCode);
        QTEST(Desktop::OpenerAnswer(exitCode), "expected");
    }

    void execArguments_data()
    {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QStringList>("expected");   // F for the file; empty: refused
        QTest::newRow("%f") << "gedit %f" << QStringList{"gedit", "F"};
        QTest::newRow("no code appends") << "mousepad" << QStringList{"mousepad", "F"};
        QTest::newRow("dropped codes") << "ed %i %c %k %f" << QStringList{"ed", "F"};
        QTest::newRow("code inside a word") << "ed --file=%f" << QStringList{"ed", "--file=F"};
        QTest::newRow("percent sign") << "ed 100%% %F" << QStringList{"ed", "100%", "F"};
        QTest::newRow("quoted program") << "\"/opt/my ed/ed\" %f" << QStringList{"/opt/my ed/ed", "F"};
        QTest::newRow("escapes inside quotes") << "ed \"a \\\"b\\\" \\$c \\`d\\` e\\\\f\" %f"
                                               << QStringList{"ed", "a \"b\" $c `d` e\\f", "F"};
        QTest::newRow("other backslash inside quotes") << "ed \"a\\nb\"" << QStringList{"ed", "a\\nb", "F"};
        QTest::newRow("empty quoted argument kept") << "ed \"\" %f" << QStringList{"ed", "", "F"};
        QTest::newRow("runs of blanks") << "  ed\t  -x   %f  " << QStringList{"ed", "-x", "F"};
        QTest::newRow("unbalanced quote") << "ed \"%f" << QStringList{};
        QTest::newRow("only a dropped code") << "%i" << QStringList{};
        QTest::newRow("empty program") << "\"\" %f" << QStringList{};
    }

    void execArguments()
    {
        QFETCH(QString, exec);
        QFETCH(QStringList, expected);
        // A file name that must come through as it is, never split or read.
        const QString file = QStringLiteral("/tmp/a \"b\" %f $x;y.uc");
        const std::optional<QStringList> arguments = Desktop::ExecArguments(exec, file);
        if (expected.isEmpty()) {
            QVERIFY(!arguments);
            return;
        }
        QVERIFY(arguments);
        for (QString &argument : expected)
            argument.replace(QLatin1String("F"), file);
        QCOMPARE(*arguments, expected);
    }

    void inTerminal_data()
    {
        QTest::addColumn<QString>("terminal");
        QTest::addColumn<QStringList>("prefix");   // before the program; W for the directory
        QTest::newRow("x-terminal-emulator") << "x-terminal-emulator" << QStringList{"-e"};
        QTest::newRow("gnome-terminal") << "gnome-terminal" << QStringList{"--working-directory=W", "--"};
        QTest::newRow("konsole") << "konsole" << QStringList{"--workdir", "W", "-e"};
        QTest::newRow("xfce4-terminal") << "xfce4-terminal" << QStringList{"--working-directory=W", "-x"};
    }

    void inTerminal()
    {
        QFETCH(QString, terminal);
        QFETCH(QStringList, prefix);
        qputenv("WAYLAND_DISPLAY", "wayland-0");
        const QString path = m_scratch->AddProgram(terminal);
        const QString dir = m_scratch->Path(QStringLiteral("work dir"));
        const ProcessStart command{QStringLiteral("/opt/ut/System/ucc-bin"), {"server", "a b"}, dir, true};

        const std::optional<ProcessStart> wrapped = Desktop::InTerminal(command);
        QVERIFY(wrapped);
        QCOMPARE(wrapped->program, path);
        QCOMPARE(wrapped->workingDirectory, dir);
        QCOMPARE(wrapped->ownSession, true);
        for (QString &argument : prefix)
            argument.replace(QLatin1String("W"), dir);
        QCOMPARE(wrapped->arguments, prefix + QStringList({"/opt/ut/System/ucc-bin", "server", "a b"}));
    }

    void inTerminalChoice()
    {
        m_scratch->AddProgram(QStringLiteral("xterm"));
        const QString preferred = m_scratch->AddProgram(QStringLiteral("x-terminal-emulator"));
        const ProcessStart command{QStringLiteral("/bin/prog"), {}, {}, false};
        QVERIFY(!Desktop::InTerminal(command));          // no display
        qputenv("DISPLAY", ":0");
        const std::optional<ProcessStart> wrapped = Desktop::InTerminal(command);
        QVERIFY(wrapped);
        QCOMPARE(wrapped->program, preferred);
        QVERIFY(wrapped->workingDirectory.isEmpty());
        QCOMPARE(wrapped->arguments, (QStringList{"-e", "/bin/prog"}));
    }

    void findOnPath()
    {
        const QString first = m_scratch->Path(QStringLiteral("first"));
        QVERIFY(QDir().mkpath(first + QStringLiteral("/tool")));             // a directory
        m_scratch->Write(QStringLiteral("second/tool"), "#!/bin/sh\n");      // no execute bit
        m_scratch->CopyProgram(QStringLiteral("third/tool"));
        m_scratch->CopyProgram(QStringLiteral("fourth/tool"));
        m_scratch->CopyProgram(QStringLiteral("cwd-tool"));
        qputenv("PATH", QFile::encodeName(QStringList{first, "", m_scratch->Path(QStringLiteral("second")),
                                                      m_scratch->Path(QStringLiteral("third")),
                                                      m_scratch->Path(QStringLiteral("fourth"))}
                                              .join(QLatin1Char(':'))));
        QCOMPARE(Desktop::FindOnPath(QStringLiteral("tool")), m_scratch->Path(QStringLiteral("third/tool")));
        QCOMPARE(Desktop::FindOnPath(QStringLiteral("missing")), QString());
        QCOMPARE(Desktop::FindOnPath(QString()), QString());
        // An empty entry is not the current directory.
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_scratch->Path(QString())));
        const QString fromCwd = Desktop::FindOnPath(QStringLiteral("cwd-tool"));
        QDir::setCurrent(previous);
        QCOMPARE(fromCwd, QString());
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestDesktop)
#include "tst_desktop.moc"
