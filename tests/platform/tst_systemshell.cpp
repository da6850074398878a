#include "persist/FileAssociation.h"
#include "platform/LaunchCodes.h"
#include "platform/SystemShell.h"

#include "support/StandinScratch.h"
#include "support/TempRegistry.h"

#include <QtTest>

#include <cerrno>
#include <csignal>

using namespace kelvarin;
using kelvarin::test::StandinScratch;

namespace {

// A document name that a command interpreter would take apart in every way.
const QString AwkwardName = QStringLiteral("it's a \"doc\"; $HOME & `x` (1).uc");

} // namespace

class TestSystemShell : public QObject
{
    Q_OBJECT

    std::unique_ptr<StandinScratch> m_scratch;
    QList<int> m_answers;
    std::unique_ptr<test::TempRegistry> m_registry;
    std::unique_ptr<SystemShell> m_shell;   // looking associations up in m_registry
    QString m_missing;   // of the last answer

    ShellAnswer Record()
    {
        return [this](int code, const QString &missing) {
            m_answers.append(code);
            m_missing = missing;
        };
    }

    // Stores command as the association for files with this extension.
    void Associate(const QString &extension, const QString &command)
    {
        QVERIFY(m_registry->reg.SetString(RegRoot::ClassesRoot, extension, QString(), QStringLiteral("TestFile")));
        QVERIFY(m_registry->reg.SetString(RegRoot::ClassesRoot, QStringLiteral("TestFile\\shell\\open\\command"),
                                          QString(), command));
    }

    // The lookup the programs give the shell.
    AssociationLookup Associations()
    {
        return [this](const QString &file, int line) { return FileAssociation::OpenCommandFor(m_registry->reg, file, line); };
    }

    // Runs one request (or, with editor, opens that file in the text editor)
    // and answers its code; the answer must not arrive from inside the call.
    int Run(const ShellRequest &request, bool editor = false)
    {
        m_answers.clear();
        m_missing.clear();
        if (editor)
            m_shell->OpenInTextEditor(request.file, Record());
        else
            m_shell->Open(request, Record());
        if (!m_answers.isEmpty())
            return -1000;
        if (!QTest::qWaitFor([this] { return !m_answers.isEmpty(); }))
            return -2000;
        return m_answers.size() == 1 ? m_answers.first() : -3000;
    }

    ShellRequest OpenRequest(const QString &specFile) const
    {
        ShellRequest request;
        request.verb = QStringLiteral("open");
        request.file = specFile;
        return request;
    }

    // The starts in the journal, once there are count of them.
    QList<StandinScratch::Start> StartsWhenThere(int count) const
    {
        (void)QTest::qWaitFor([this, count] { return m_scratch->Starts().size() >= count; });
        return m_scratch->Starts();
    }

private slots:
    void init()
    {
        m_scratch = std::make_unique<StandinScratch>();
        QVERIFY(m_scratch->IsValid());
        m_registry = std::make_unique<test::TempRegistry>();
        m_shell = std::make_unique<SystemShell>(Associations());
        qputenv("KELVARIN_STANDIN_EXIT", "0");
        m_scratch->Write(QStringLiteral("Docs/") + AwkwardName, "x");   // the document most tests open
    }

    void cleanup()
    {
        m_shell.reset();
        m_scratch.reset();
        m_registry.reset();
    }

    // An association's command, or the code it fails with: @BIN@ stands for
    // the stand-ins' directory, %1 is left to the shell.
    void association_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("line");                // asked for; 0: none
        QTest::addColumn<int>("expected");
        QTest::addColumn<QString>("program");         // the stand-in started, or the one a failure names
        QTest::addColumn<QStringList>("arguments");   // @PATH@ for the document's path
        const int ok = LaunchCode::Success;
        QTest::newRow("windows-style program path") << "@WINBIN@\\editor \"%1\"" << 0 << ok << "editor"
                                                    << QStringList{"@PATH@"};
        QTest::newRow("windows program through wine") << "\"@BIN@/ed.exe\" /e \"%1\"" << 0 << ok << "wine"
                                                      << QStringList{"@BIN@/ed.exe", "/e", "@PATH@"};
        // A line: %2 in the command takes it; known editors get their own
        // argument for it; any other editor opens the file as always.
        QTest::newRow("%2 takes the line") << "editor --line=%2 \"%1\"" << 12 << ok << "editor"
                                           << QStringList{"--line=12", "@PATH@"};
        QTest::newRow("%2 without a line is 1") << "editor +%2 %1" << 0 << ok << "editor"
                                                << QStringList{"+1", "@PATH@"};
        QTest::newRow("gedit: +N before the file") << "gedit \"%1\"" << 12 << ok << "gedit"
                                                   << QStringList{"+12", "@PATH@"};
        QTest::newRow("code: -g FILE:N") << "\"@BIN@/code\" -n %1" << 7 << ok << "code"
                                         << QStringList{"-n", "-g", "@PATH@:7"};
        QTest::newRow("known editor, no line") << "gedit %1" << 0 << ok << "gedit" << QStringList{"@PATH@"};
        QTest::newRow("unknown editor opens the file") << "editor %1" << 12 << ok << "editor"
                                                       << QStringList{"@PATH@"};
        const QStringList none;
        QTest::newRow("program not on PATH") << "no-such-editor %1" << 0 << LaunchCode::FileNotFound
                                             << "no-such-editor" << none;
        QTest::newRow("drive letter") << "\"C:\\Ed\\ed.exe\" \"%1\"" << 0 << LaunchCode::FileNotFound
                                      << "C:\\Ed\\ed.exe" << none;
        QTest::newRow("program path that is gone") << "\"@BIN@/gone editor\" %1" << 0 << LaunchCode::FileNotFound
                                                   << "@BIN@/gone editor" << none;
        QTest::newRow("windows program, no wine") << "@BIN@/ed.exe %1" << 0 << LaunchCode::NoAssociation << "" << none;
        QTest::newRow("empty quoted program") << "\"\" %1" << 0 << LaunchCode::IncompleteAssociation << "" << none;
        QTest::newRow("junk program") << "@BIN@/junk %1" << 0 << LaunchCode::BadFormat << "" << none;
    }

    void association()
    {
        QFETCH(QString, command);
        QFETCH(int, line);
        QFETCH(int, expected);
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        for (const char *name : {"editor", "gedit", "code"})
            m_scratch->AddProgram(QLatin1String(name));
        if (expected == LaunchCode::Success)
            m_scratch->AddProgram(QStringLiteral("wine"));
        m_scratch->AddProgram(QStringLiteral("xdg-open"));   // must not be used
        m_scratch->Write(QStringLiteral("bin/ed.exe"), QByteArray("MZ\x90\0", 4), true);
        m_scratch->Write(QStringLiteral("bin/junk"), QByteArray("\x01\x02\x03junk", 7), true);
        const QString bin = m_scratch->Bin();
        command.replace(QLatin1String("@WINBIN@"), QString(bin).replace(QLatin1Char('/'), QLatin1Char('\\')));
        command.replace(QLatin1String("@BIN@"), bin);
        Associate(QStringLiteral(".uc"), command);

        QVERIFY(QDir().mkpath(m_scratch->Path(QStringLiteral("Run Here"))));
        const QString document = m_scratch->Path(QStringLiteral("Docs/") + AwkwardName);

        ShellRequest request = OpenRequest(m_scratch->Path(QStringLiteral("Docs\\")) + AwkwardName.toUpper());
        request.directory = m_scratch->Path(QStringLiteral("run here"));
        request.line = line;
        QCOMPARE(Run(request), expected);
        program.replace(QLatin1String("@BIN@"), bin);
        if (expected != LaunchCode::Success) {
            QCOMPARE(m_missing, program);
            QVERIFY(m_scratch->Starts().isEmpty());
            return;
        }

        const QList<StandinScratch::Start> starts = StartsWhenThere(1);
        QCOMPARE(starts.size(), 1);
        QCOMPARE(starts.first().program, bin + QLatin1Char('/') + program);
        QCOMPARE(starts.first().workingDirectory, m_scratch->Path(QStringLiteral("Run Here")));
        for (QString &argument : arguments) {
            argument.replace(QLatin1String("@PATH@"), document);
            argument.replace(QLatin1String("@BIN@"), bin);
        }
        QCOMPARE(starts.first().arguments, arguments);
    }

    // Documents without an association, bare names and folders go to the
    // opener; @ stands for the awkward document name.
    void opener_data()
    {
        QTest::addColumn<QString>("verb");
        QTest::addColumn<QString>("file");          // as asked for, below the scratch; "" none
        QTest::addColumn<QString>("argument");      // what the opener is given, below the scratch; "" not started
        QTest::addColumn<QByteArray>("exitCode");   // of the xdg-open stand-in; "" no xdg-open on PATH
        QTest::addColumn<int>("expected");
        QTest::newRow("opened") << "open" << "Docs\\@" << "Docs/@" << QByteArray("0") << LaunchCode::Success;
        QTest::newRow("file not found") << "open" << "Docs\\@" << "Docs/@" << QByteArray("2") << LaunchCode::FileNotFound;
        QTest::newRow("bare name") << "open" << "README" << "README" << QByteArray("0") << LaunchCode::Success;
        QTest::newRow("explore, folder in another case") << "EXPLORE" << "game\\mymod" << "Game/MyMod" << QByteArray("0")
                                                        << LaunchCode::Success;
        QTest::newRow("missing document") << "open" << "Missing.uc" << "" << QByteArray("0") << LaunchCode::FileNotFound;
        QTest::newRow("no file at all") << "open" << "" << "" << QByteArray("0") << LaunchCode::FileNotFound;
        QTest::newRow("no opener") << "open" << "README" << "" << QByteArray() << LaunchCode::NoAssociation;
        QTest::newRow("explore a missing folder") << "Explore" << "Nowhere" << "" << QByteArray("0")
                                                  << LaunchCode::PathNotFound;
        QTest::newRow("explore a file") << "Explore" << "README" << "" << QByteArray("0") << LaunchCode::PathNotFound;
        QTest::newRow("unknown verb") << "print" << "README" << "" << QByteArray("0") << LaunchCode::NoAssociation;
    }

    void opener()
    {
        QFETCH(QString, verb);
        QFETCH(QString, file);
        QFETCH(QString, argument);
        QFETCH(QByteArray, exitCode);
        const QString opener = exitCode.isEmpty() ? QString() : m_scratch->AddProgram(QStringLiteral("xdg-open"));
        if (!exitCode.isEmpty())
            qputenv("KELVARIN_STANDIN_EXIT", exitCode);
        Associate(QStringLiteral(".uc"), QStringLiteral("   "));   // blank: none
        m_scratch->Write(QStringLiteral("README"), "x");
        QVERIFY(QDir().mkpath(m_scratch->Path(QStringLiteral("Game/MyMod"))));

        ShellRequest request = OpenRequest(file.isEmpty() ? QString() : m_scratch->Path(file.replace(QLatin1Char('@'), AwkwardName)));
        request.verb = verb;
        QTEST(Run(request), "expected");
        const QList<StandinScratch::Start> starts = m_scratch->Starts();
        if (argument.isEmpty()) {
            QVERIFY(starts.isEmpty());
            return;
        }
        QCOMPARE(starts.size(), 1);
        QCOMPARE(starts.first().program, opener);
        QCOMPARE(starts.first().arguments, QStringList{m_scratch->Path(argument.replace(QLatin1Char('@'), AwkwardName))});
    }

    void programGoesThroughGamePrograms()
    {
        const QString winePath = m_scratch->AddProgram(QStringLiteral("wine"));
        m_scratch->Write(QStringLiteral("game/System/UnrealTournament.exe"), QByteArray("MZ\x90\0", 4), true);
        // An association for .exe is never used for programs.
        Associate(QStringLiteral(".exe"), QStringLiteral("editor %1"));
        m_scratch->AddProgram(QStringLiteral("editor"));

        ShellRequest request = OpenRequest(m_scratch->Path(QStringLiteral("game")) + QStringLiteral("\\System\\UnrealTournament.exe"));
        request.parameters = QStringLiteral("ctf-face?game=Botpack.CTFGame \"a b\"");
        request.directory = m_scratch->Path(QStringLiteral("game")) + QStringLiteral("\\System");
        QCOMPARE(Run(request), LaunchCode::Success);
        const QList<StandinScratch::Start> starts = StartsWhenThere(1);
        QCOMPARE(starts.size(), 1);
        QCOMPARE(starts.first().program, winePath);
        QCOMPARE(starts.first().workingDirectory, m_scratch->Path(QStringLiteral("game/System")));
        QCOMPARE(starts.first().arguments,
                 (QStringList{m_scratch->Path(QStringLiteral("game/System/UnrealTournament.exe")),
                              "ctf-face?game=Botpack.CTFGame", "a b"}));
    }

    void textEditor_data()
    {
        // xdgMime: the id the xdg-mime stand-in prints ("" no xdg-mime);
        // where: "home" the desktop file in XDG_DATA_HOME, "dirs" in one of
        // XDG_DATA_DIRS, "" none; exec: its Exec value.
        QTest::addColumn<QString>("xdgMime");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("exec");
        QTest::addColumn<bool>("gedit");
        QTest::addColumn<QString>("program");        // the one started, "" none
        QTest::addColumn<QStringList>("arguments");  // @PATH@ for the file
        QTest::newRow("desktop file in the user's data")
            << "org.example.Ed.desktop" << "home" << "myeditor --new %F" << true
            << "myeditor" << QStringList{"--new", "@PATH@"};
        QTest::newRow("desktop file in the system's data")
            << "org.example.Ed.desktop" << "dirs" << "\"@BIN@/myeditor\" \"--title=a \\\\\"b\\\\\"\" %u" << false
            << "myeditor" << QStringList{"--title=a \"b\"", "@PATH@"};
        QTest::newRow("id with a sub-directory")
            << "kde-ed.desktop" << "kde" << "myeditor %f" << false << "myeditor" << QStringList{"@PATH@"};
        QTest::newRow("unknown desktop id, then gedit")
            << "org.example.Missing.desktop" << "home" << "myeditor %f" << true << "gedit" << QStringList{"@PATH@"};
        QTest::newRow("an id leading elsewhere is refused")
            << "../../evil.desktop" << "home" << "myeditor %f" << true << "gedit" << QStringList{"@PATH@"};
        QTest::newRow("gedit on PATH") << "" << "" << "" << true << "gedit" << QStringList{"@PATH@"};
        QTest::newRow("nothing") << "" << "" << "" << false << "" << QStringList{};
    }

    void textEditor()
    {
        QFETCH(QString, xdgMime);
        QFETCH(QString, where);
        QFETCH(QString, exec);
        QFETCH(bool, gedit);
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        m_scratch->AddProgram(QStringLiteral("myeditor"));
        if (gedit)
            m_scratch->AddProgram(QStringLiteral("gedit"));
        if (!xdgMime.isEmpty()) {
            m_scratch->AddProgram(QStringLiteral("xdg-mime"));
            qputenv("KELVARIN_STANDIN_STDOUT", xdgMime.toUtf8());
        }
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_scratch->Path(QStringLiteral("data home"))));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(m_scratch->Path(QStringLiteral("none")) + QLatin1Char(':')
                                                   + m_scratch->Path(QStringLiteral("share"))));
        const QByteArray entry = "[Desktop Action New]\nExec=wrong %f\n\n[Desktop Entry]\nName=Ed\nExec="
            + exec.replace(QLatin1String("@BIN@"), m_scratch->Bin()).toUtf8() + "\nExec=wrong too\n";
        if (where == QLatin1String("home"))
            m_scratch->Write(QStringLiteral("data home/applications/org.example.Ed.desktop"), entry);
        else if (where == QLatin1String("dirs"))
            m_scratch->Write(QStringLiteral("share/applications/org.example.Ed.desktop"), entry);
        else if (where == QLatin1String("kde"))
            m_scratch->Write(QStringLiteral("share/applications/kde/ed.desktop"), entry);
        m_scratch->Write(QStringLiteral("evil.desktop"), entry);

        const int answer = Run(OpenRequest(m_scratch->Path(QStringLiteral("docs\\")) + AwkwardName), true);
        QCOMPARE(answer, program.isEmpty() ? LaunchCode::NoAssociation : LaunchCode::Success);

        QList<StandinScratch::Start> starts = StartsWhenThere(program.isEmpty() ? 0 : (xdgMime.isEmpty() ? 1 : 2));
        if (!xdgMime.isEmpty()) {
            QVERIFY(!starts.isEmpty());
            const StandinScratch::Start query = starts.takeFirst();
            QCOMPARE(QFileInfo(query.program).fileName(), QStringLiteral("xdg-mime"));
            QCOMPARE(query.arguments, (QStringList{"query", "default", "text/plain"}));
        }
        if (program.isEmpty()) {
            QVERIFY(starts.isEmpty());
            return;
        }
        QCOMPARE(starts.size(), 1);
        QCOMPARE(starts.first().program, m_scratch->Path(QStringLiteral("bin/")) + program);
        for (QString &argument : arguments)
            argument.replace(QLatin1String("@PATH@"), m_scratch->Path(QStringLiteral("Docs/") + AwkwardName));
        QCOMPARE(starts.first().arguments, arguments);
    }

    void noAnswerAfterDestruction()
    {
        const QString opener = m_scratch->AddProgram(QStringLiteral("xdg-open"));
        m_scratch->Write(QStringLiteral("A.txt"), "x");
        auto shell = std::make_unique<SystemShell>(Associations());
        bool answered = false;
        shell->Open(OpenRequest(m_scratch->Path(QStringLiteral("A.txt"))), [&answered](int, const QString &) { answered = true; });
        shell.reset();
        // The opener runs and ends; its watcher then posts to nobody.
        QTRY_COMPARE(m_scratch->Starts().size(), 1);
        const pid_t pid = pid_t(m_scratch->Starts().first().pid);
        QTRY_VERIFY(::kill(pid, 0) != 0 && errno == ESRCH);
        QTest::qWait(100);
        QVERIFY(!answered);
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestSystemShell)
#include "tst_systemshell.moc"
