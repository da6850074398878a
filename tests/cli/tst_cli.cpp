#include "cli/CliRunner.h"
#include "support/GameDir.h"
#include "support/PackageWriter.h"
#include "support/StandinScratch.h"
#include "support/TempRegistry.h"
#include "tools/CompilerLog.h"
#include "tools/PackageExporter.h"

#include <QDirIterator>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>

using namespace kelvarin;

namespace {

struct Outcome
{
    int code = -1;
    QByteArray out;   // UTF-8, as the program writes it
    QString err;
    QStringList ErrLines() const { return err.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

const QByteArray kThreeClasses = "Classes\n\tObject\n\t\tActor\n\t\t\tInfo\n";
const QByteArray kListAfterDefault = "[x] Core\n[x] Engine\n[ ] Mod\n[ ] Relics\n";

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

    std::unique_ptr<test::GameDir> m_game;
    std::unique_ptr<test::TempRegistry> m_config;   // its folder is the configuration home
    QString m_base;

    // A small game in a folder of the game directory: Core and Engine in the
    // EditPackages list; Mod, outside it, has a class with a missing parent.
    QString BuildGame(const QString &prefix)
    {
        const QString at = prefix.isEmpty() ? QString() : prefix + QLatin1Char('/');
        m_game->WriteText(at + QStringLiteral("System/UnrealTournament.ini"),
                          QStringLiteral("[Engine.Engine]\r\nGameEngine=Engine.GameEngine\r\n[Editor.EditorEngine]\r\n"
                                         "EditPackages=Core\r\nEditPackages=Engine\r\n"));
        const QStringList classes{"Core Object native", "Engine Actor extends Object", "Engine Info extends Actor",
                                  "Mod Orphan extends MissingBase", QString::fromUtf8("Mod Café extends Info")};
        for (const QString &line : classes)   // "Package Name rest of the declaration"
            m_game->WriteClass(at + line.section(QLatin1Char(' '), 0, 0), line.section(QLatin1Char(' '), 1, 1) + QStringLiteral(".uc"),
                               QStringLiteral("class ") + line.section(QLatin1Char(' '), 1) + QLatin1Char(';'));
        return prefix.isEmpty() ? m_game->Base() : m_game->Native(prefix);
    }

    Outcome Run(const QStringList &actions)
    {
        Outcome result;
        QTextStream out(&result.out, QIODevice::WriteOnly);
        QTextStream err(&result.err, QIODevice::WriteOnly);
        result.code = CliRunner::Run(QStringList{"--base", m_base} + actions, m_config->reg, out, err);
        out.flush();
        err.flush();
        return result;
    }

    // The game directory's files, relative to it, sorted.
    QStringList GameFiles() const
    {
        QStringList files;
        QDirIterator it(m_base, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(m_base).relativeFilePath(it.next());
        files.sort();
        return files;
    }

    // A copy of one of our stand-ins as a program of the game's System folder.
    void InstallStandin(const char *standin, const char *name)
    {
        const QString path = m_game->Native(QStringLiteral("System/") + QLatin1String(name));
        QVERIFY(QFile::copy(QLatin1String(standin), path));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    // Starts the built program as a user would, on the test's configuration home.
    void Start(QProcess &process, const QString &program, const QStringList &arguments, bool uccHangs = false)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config->dir.path());
        if (uccHangs)
            env.insert(QStringLiteral("KELVARIN_UCC_HANG"), QStringLiteral("1"));
        process.setProcessEnvironment(env);
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(program, arguments);
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void init()
    {
        m_game = std::make_unique<test::GameDir>();
        m_config = std::make_unique<test::TempRegistry>();
        QVERIFY(m_game->IsValid() && m_config->dir.isValid());
        m_base = BuildGame(QString());
    }

    void usage_data()
    {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<int>("code");
        QTest::newRow("help") << QStringList{"--read-default", "--help"} << 0;
        QTest::newRow("no action") << QStringList{"--yes"} << 2;
        QTest::newRow("unknown option") << QStringList{"--read-default", "--bogus"} << 2;
        QTest::newRow("bad print") << QStringList{"--read-default", "--print", "trees"} << 2;
        QTest::newRow("tick without argument") << QStringList{"--read-default", "--tick"} << 2;
        QTest::newRow("base without directory") << QStringList{"--read-default", "--base"} << 2;
    }

    void usage()
    {
        QFETCH(QStringList, actions);
        QFETCH(int, code);
        const Outcome run = Run(actions);
        QCOMPARE(run.code, code);
        const QString shown = QString::fromUtf8(run.out) + run.err;
        QVERIFY2(shown.contains(QLatin1String("Usage: kelvarin-cli")), qPrintable(shown));
        QVERIFY2(!shown.contains(QLatin1String("Kelvarin: ")), qPrintable(shown));   // no action ran
        QCOMPARE(run.out.isEmpty(), code != 0);   // on standard output only when asked for
    }

    // The program itself, as a user or a packaging check runs it. Its front
    // answers a bare --help or --version without loading the library that
    // holds the rest; every other line goes to the library.
    // alone: the front is copied to a folder of its own, without the library.
    // "BASE" in an argument is the game directory.
    void front_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("alone");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QString>("err");   // a pattern standard error matches
        const QByteArray version("Kelvarin 2.7.0\n");
        const QByteArray usage = CliRunner::Usage().toUtf8();
        QTest::newRow("--version") << QStringList{"--version"} << false << 0 << version << "^$";
        QTest::newRow("-V") << QStringList{"-V"} << false << 0 << version << "^$";
        QTest::newRow("--help") << QStringList{"--help"} << false << 0 << usage << "^$";
        QTest::newRow("-h") << QStringList{"-h"} << false << 0 << usage << "^$";
        QTest::newRow("version, then unknown") << QStringList{"--version", "--bogus"} << false << 0 << version << "^$";
        QTest::newRow("version before actions") << QStringList{"--base", "BASE", "--version", "--read-default", "--print", "classes"}
                                                << false << 0 << version << "^$";
        QTest::newRow("unknown, then version") << QStringList{"--bogus", "--version"} << false << 2 << QByteArray()
                                               << "^kelvarin-cli: unknown argument: --bogus\n\nUsage: kelvarin-cli ";
        QTest::newRow("actions") << QStringList{"--base", "BASE", "--read-default", "--tick", "Mod", "--print", "classes"} << false << 0
                                 << kThreeClasses + QByteArray("\t\t\t\tCaf\xC3\xA9\n") << "^Kelvarin: Load time: ";
        QTest::newRow("no library, version") << QStringList{"--version"} << true << 0 << version << "^$";
        QTest::newRow("no library, action") << QStringList{"--read-default"} << true << 2 << QByteArray()
                                            << "^kelvarin-cli: cannot load /\\S*kelvarin-cli-run\\S*: .+\n$";
    }

    void front()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, alone);
        QFETCH(int, code);
        QFETCH(QByteArray, out);
        QFETCH(QString, err);
        QTemporaryDir folder;
        QString program = QStringLiteral(KELVARIN_CLI_PATH);
        if (alone) {
            QVERIFY(folder.isValid());
            QVERIFY(QFile::copy(program, folder.filePath(QStringLiteral("kelvarin-cli"))));
            program = folder.filePath(QStringLiteral("kelvarin-cli"));
        }
        QProcess process;
        Start(process, program, arguments.replaceInStrings(QStringLiteral("BASE"), m_base));
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), code);
        QCOMPARE(process.readAllStandardOutput(), out);
        const QString error = QString::fromUtf8(process.readAllStandardError());
        QVERIFY2(QRegularExpression(err).match(error).hasMatch(), qPrintable(error));
    }

    void readDefaultPrintsTheClassTree_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::newRow("blanks in the base path") << "blanks";
        QTest::newRow("damaged registry file") << "damaged";   // options load silently
    }

    void readDefaultPrintsTheClassTree()
    {
        QFETCH(QString, setting);
        if (setting == QLatin1String("blanks"))
            m_base = BuildGame(QStringLiteral("Unreal Tournament 99"));
        if (setting == QLatin1String("damaged"))
            QVERIFY(m_config->Write("not a registry file\n[HKEY_LOCAL_MACHINE\\Software\n\"x\"=dword:zz\n"));
        const Outcome run = Run({"--read-default", "--print", "classes"});
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, kThreeClasses);
        QVERIFY2(QRegularExpression(QStringLiteral("^Kelvarin: Load time: [^\n]+  3 classes loaded\n$")).match(run.err).hasMatch(),
                 qPrintable(run.err));
    }

    // Output, messages and file changes of a run; each message is one line on
    // standard error, and the actions after it still run. A refusal is a
    // plain message, not an error. message: a line standard error holds, if
    // any ("BASE" is the game directory). changed: the files of the game
    // directory the run adds (+) or deletes (-), blank-separated. Nothing is
    // launched: there is no opener nor editor on PATH, and no UCC in System.
    // The game has the compiled packages Relics.u and Mod.u besides, and two
    // orphan files; sources are printed from a class's file or from its
    // compiled package, UTF-8 with LF line ends.
    void runs_data()
    {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("changed");
        const QStringList list{"--print", "packagelist"};
        const QStringList classes{"--print", "classes"};
        const QByteArray withCafe = kThreeClasses + QByteArray("\t\t\t\tCaf\xC3\xA9\n");   // Mod ticked
        QTest::newRow("package list") << QStringList{"--read-default", "--print", "packagelist"} << 0 << kListAfterDefault << "" << "";
        QTest::newRow("tick Mod, waiting class") << QStringList{"--read-default", "--tick", "Mod", "--print", "unresolved"} << 0
                                                 << QByteArray("MissingBase=Orphan&Mod\n") << "" << "";
        QTest::newRow("tick in any case") << QStringList{"--read-default", "--tick", "mod"} + classes << 0 << withCafe << "" << "";
        QTest::newRow("untick Engine") << QStringList{"--read-default", "--untick", "Engine", "--print", "classes", "--print", "packagelist"}
                                       << 0 << QByteArray("Classes\n\tObject\n[x] Core\n[ ] Engine\n[ ] Mod\n[ ] Relics\n") << "" << "";
        QTest::newRow("package tree") << QStringList{"--read-default", "--untick", "Engine", "--print", "packages"} << 0
                                      << QByteArray("Packages\n\tCore\n\t\tObject\n") << "" << "";
        // Before any compile there is no log, which is no error.
        QTest::newRow("no log yet") << QStringList{"--print", "log"} << 0 << QByteArray("No log\n") << "" << "";
        QTest::newRow("untick unknown") << QStringList{"--read-default", "--untick", "Nope"} + list << 1 << kListAfterDefault
                                        << "There is no package \"Nope\" in the package list." << "";
        QTest::newRow("remove unknown") << QStringList{"--read-default", "--remove", "Nope"} + list << 1 << kListAfterDefault
                                        << "There is no class \"Nope\" in the class tree." << "";
        QTest::newRow("remove unknown package") << QStringList{"--read-default", "--remove-package", "Nope"} + list << 1
            << kListAfterDefault << "There is no package \"Nope\" in the package tree." << "";
        QTest::newRow("save without .Kelvar") << QStringList{"--read-default", "--save-state", "x.txt"} + list << 1 << kListAfterDefault
            << "No state was saved to \"x.txt\": the name must contain \".Kelvar\" and the file must be writable." << "";
        QTest::newRow("untick refused") << QStringList{"--read-default", "--untick", "Core"} + list << 0 << kListAfterDefault
                                        << "There are packages depending on Core It can't be removed." << "";
        QTest::newRow("find names in tree order") << QStringList{"--read-default", "--name", "o", "--find"} << 0
            << QByteArray("Object\tCore\t0\t\nActor\tEngine\t0\t\nInfo\tEngine\t0\t\n") << "Done searching." << "";
        QTest::newRow("find source text below a class") << QStringList{"--read-default", "--in", "class:actor", "--containing", "EXTENDS", "--find"} << 0
            << QByteArray("Actor\tEngine\t2\tclass Actor extends Object;\nInfo\tEngine\t2\tclass Info extends Actor;\n") << "Done searching." << "";
        QTest::newRow("find toward parents") << QStringList{"--read-default", "--in", "class:Info", "--parents", "--name", "t", "--find"} << 0
            << QByteArray("Actor\tEngine\t0\t\nObject\tCore\t0\t\n") << "Done searching." << "";
        QTest::newRow("find in a package") << QStringList{"--read-default", "--in", "package:engine", "--name", "n", "--find"} << 0
            << QByteArray("Engine\t? ? ?\t0\t\nInfo\tEngine\t0\t\n") << "Done searching." << "";
        QTest::newRow("where is resolved at --find") << QStringList{"--in", "class:Actor", "--read-default", "--name", "x", "--find"} << 0
            << QByteArray() << "Done searching." << "";
        QTest::newRow("find, no such class") << QStringList{"--in", "class:Actor", "--name", "x", "--find"} << 1
            << QByteArray() << "There is no class \"Actor\" in the class tree." << "";
        QTest::newRow("find nothing") << QStringList{"--read-default", "--find"} << 0 << QByteArray() << "Looking for nothing?" << "";
        QTest::newRow("no server program") << QStringList{"--server"} << 1 << QByteArray()
                                           << "Unable to find BASE/System/ucc.exe" << "";
        QTest::newRow("edit an unknown class") << QStringList{"--read-default", "--edit", "Nothing"} << 1 << QByteArray()
                                               << "There is no class \"Nothing\" in the class tree." << "";
        QTest::newRow("no editor at all") << QStringList{"--read-default", "--edit", "info"} << 1 << QByteArray()
                                          << "No program is associated with BASE/Engine/Classes/Info.uc!" << "";
        QTest::newRow("source from its file") << QStringList{"--read-default", "--print-source", "info"} << 0
            << QByteArray("// generated for a test\nclass Info extends Actor;\n\nvar int Counter;\n") << "" << "";
        QTest::newRow("source from its compiled package") << QStringList{"--read-default", "--tick", "Relics", "--print-source", "Relic"}
            << 0 << QByteArray("class Relic extends Object;\n\tvar int Caf\xC3\xA9;\n\n// last line\n") << "" << "";
        QTest::newRow("source stripped from its package") << QStringList{"--read-default", "--tick", "Relics", "--print-source", "Bare"}
            << 1 << QByteArray() << "BASE/System/Relics.u holds no source text for class Bare" << "";
        QTest::newRow("source of an unknown class") << QStringList{"--read-default", "--print-source", "Nope"} << 1 << QByteArray()
            << "There is no class \"Nope\" in the class tree." << "";
        QTest::newRow("export an unknown package") << QStringList{"--export", "Missing"} << 1 << QByteArray()
                                                   << "Cannot open file BASE/System/Missing.u" << "";
        // A first --load-state resets the model only once its files are read:
        // one that loads nothing leaves the model reset as any other first action.
        QTest::newRow("first load fails") << QStringList{"--load-state", "none.Kelvar"} + list + classes << 1
            << QByteArray("[ ] Core\n[ ] Engine\n[ ] Mod\n[ ] Relics\nClasses\n")
            << "No state was loaded from \"none.Kelvar\": the name must contain \".Kelvar\" and the file must be readable." << "";
        const QString removeInfo = QStringLiteral("Are you sure you want to remove class'Engine.Info'? This can't be reversed!");
        QTest::newRow("remove, answered No") << QStringList{"--read-default", "--remove", "Info"} + classes << 0 << kThreeClasses
                                             << removeInfo << "";
        QTest::newRow("remove, answered Yes") << QStringList{"--yes", "--read-default", "--remove", "info"} + classes << 0
            << QByteArray("Classes\n\tObject\n\t\tActor\n") << removeInfo << "-Engine/Classes/Info.uc";
        QTest::newRow("remove, has children") << QStringList{"--yes", "--read-default", "--tick", "Mod", "--remove", "Info"} + classes
            << 1 << withCafe << "I'm sorry, but class'Info' has children and therefore it can't be removed." << "";
        // Which names are acceptable is the new-class command's (tests/authoring).
        QTest::newRow("new class") << QStringList{"--read-default", "--new-class", "Mod", "Gizmo", "Info"} + classes << 0
                                   << withCafe + QByteArray("\t\t\t\tGizmo\n") << "" << "+Mod/Classes/Gizmo.uc";
        // Each operand stays whole: a line break is no separator.
        QTest::newRow("new class, line break inside the package")
            << QStringList{"--read-default", "--new-class", "Mod\nSneaky", "Gizmo", "Info"} + classes << 1 << kThreeClasses
            << "The package name must be letters, digits and underscores, and must not start with a digit." << "";
        // Which files are orphans is the orphan finder's (tests/authoring).
        const QByteArray orphans("Gone.dll\ngone.int\n");
        QTest::newRow("orphans listed") << QStringList{"--find-orphans"} << 0 << orphans << "" << "";
        QTest::newRow("orphans, deletion answered No") << QStringList{"--delete-orphans"} << 0 << orphans
                                                       << "Delete these 2 files?" << "";
        QTest::newRow("orphans, deletion answered Yes") << QStringList{"--yes", "--delete-orphans"} << 0 << orphans
                                                        << "Delete these 2 files?" << "-System/Gone.dll -System/gone.int";
        // A No to the overwrite question is a plain refusal, as everywhere.
        QTest::newRow("export over sources declined") << QStringList{"--export", "mod"} << 0 << QByteArray()
            << "These packages already have sources, which the export will overwrite: Mod Export anyway?" << "";
    }

    void runs()
    {
        QFETCH(QStringList, actions);
        QFETCH(int, code);
        QFETCH(QByteArray, out);
        QFETCH(QString, message);
        QFETCH(QString, changed);
        test::StandinScratch scratch;
        test::PackageWriter relics;
        const int32_t object = relics.ImportClass(relics.ImportPackage("Core"), "Object");
        relics.Class("Relic", object, QByteArray("class Relic extends Object;\r\n\tvar int Caf\xE9;\r\n\r\n// last line"));
        relics.Class("Bare", object, std::nullopt);
        m_game->WriteBytes(QStringLiteral("System/Relics.u"), relics.Bytes());
        m_game->WriteBytes(QStringLiteral("System/Mod.u"), "compiled");
        for (const char *orphan : {"System/gone.int", "System/Gone.dll"})
            m_game->WriteText(QLatin1String(orphan), QStringLiteral("x"));
        const QStringList before = GameFiles();
        const Outcome run = Run(actions);
        QCOMPARE(run.out, out);
        QCOMPARE(run.code, code);
        if (!message.isEmpty())
            QVERIFY2(run.ErrLines().contains(QStringLiteral("Kelvarin: ") + message.replace(QStringLiteral("BASE"), m_base)),
                     qPrintable(run.err));
        QVERIFY(!run.err.contains(QLatin1String("Searching ")));
        QVERIFY(scratch.Starts().isEmpty());
        const QStringList after = GameFiles();
        QStringList changes;
        for (const QString &file : after)
            if (!before.contains(file))
                changes << QLatin1Char('+') + file;
        for (const QString &file : before)
            if (!after.contains(file))
                changes << QLatin1Char('-') + file;
        QCOMPARE(changes.join(QLatin1Char(' ')), changed);
    }

    // The launches reach the game's programs, as our stand-ins show.
    void launches_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("test run") << "--test-run" << "UnrealTournament.exe" << QStringList{"ctf-face"};
        QTest::newRow("join") << "--join" << "UnrealTournament.exe" << QStringList{"127.0.0.1"};
        QTest::newRow("server") << "--server" << "UCC.exe" << QStringList{"server", "ctf-face"};
    }

    void launches()
    {
        QFETCH(QString, action);
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        test::StandinScratch scratch;
        InstallStandin(KELVARIN_GAME_STANDIN, "UnrealTournament.exe");
        InstallStandin(KELVARIN_UCC_STANDIN, "UCC.exe");
        const QString system = m_game->Native(QStringLiteral("System"));
        // The game stand-in ends at once; the server runs until it is ended.
        qputenv("KELVARIN_STANDIN_EXIT", "0");
        if (action == QLatin1String("--server"))
            qunsetenv("KELVARIN_STANDIN_EXIT");

        const Outcome run = Run({action});
        QCOMPARE(run.code, 0);
        QList<test::StandinScratch::Start> starts;
        QTRY_COMPARE_WITH_TIMEOUT((starts = scratch.Starts()).size(), 1, 10000);
        const test::StandinScratch::Start &start = starts.first();
        if (action == QLatin1String("--server")) {
            // The process id goes to standard output; the server outlives the run.
            QCOMPARE(run.out.trimmed().toLongLong(), start.pid);
            QCOMPARE(::kill(pid_t(start.pid), 0), 0);
            ::kill(pid_t(start.pid), SIGTERM);
        } else {
            QVERIFY(run.out.isEmpty());
        }
        QCOMPARE(start.program, system + QLatin1Char('/') + program);
        QCOMPARE(start.workingDirectory, system);
        QCOMPARE(start.arguments, arguments);
    }

    // A class read from its compiled package opens, in the editor found on
    // PATH, as a read-only copy in the user's cache; the run says so. A bound
    // class's own file: the "no editor at all" row of runs names its path.
    void editOpensACompiledClassInAnEditor()
    {
        QTemporaryDir cache;
        const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
        const auto restore = qScopeGuard([&] { qputenv("XDG_CACHE_HOME", oldCache); });
        test::PackageWriter relics;
        relics.Class("Relic", relics.ImportClass(relics.ImportPackage("Core"), "Object"), QByteArray("class Relic;\r\n"));
        m_game->WriteBytes(QStringLiteral("System/Relics.u"), relics.Bytes());
        test::StandinScratch scratch;
        scratch.AddProgram(QStringLiteral("gedit"));
        qputenv("KELVARIN_STANDIN_EXIT", "0");
        const Outcome run = Run({"--read-default", "--tick", "Relics", "--edit", "relic"});
        QCOMPARE(run.code, 0);
        const QString opened = QStringLiteral("Kelvarin: Opened a read-only copy of Relic from the compiled package Relics.u");
        QVERIFY2(run.ErrLines().contains(opened), qPrintable(run.err));
        QList<test::StandinScratch::Start> starts;
        QTRY_COMPARE_WITH_TIMEOUT((starts = scratch.Starts()).size(), 1, 10000);
        QCOMPARE(QFileInfo(starts.first().program).fileName(), QStringLiteral("gedit"));
        QCOMPARE(starts.first().arguments, QStringList{cache.path() + QStringLiteral("/Kelvarin/Relics/Relic.uc")});
    }

    void intFile()
    {
        m_game->WriteText(QStringLiteral("System/Mod.int"), QStringLiteral("[Public]\r\nObject=(Name=Mod.A)\r\n\r\n[A]\r\nX=1\r\n"));
        m_game->WriteText(QStringLiteral("lines.txt"), QStringLiteral("Object=(Name=Mod.B)\n"));
        Outcome run = Run({"--read-default", "--write-int", "Mod", m_game->Native(QStringLiteral("lines.txt")), "--print-int", "Mod"});
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, QByteArray("Object=(Name=Mod.A)\nObject=(Name=Mod.B)\n"));
        QCOMPARE(m_game->Read(QStringLiteral("System/Mod.int")),
                 QByteArray("[Public]\r\nObject=(Name=Mod.A)\r\nObject=(Name=Mod.B)\r\n[A]\r\nX=1\r\n"));
        for (const char *package : {"../Mod", "Mod\nx"}) {
            run = Run({"--print-int", QString::fromLatin1(package)});
            QCOMPARE(run.code, 1);
            QVERIFY(run.out.isEmpty());
        }
    }

    void compile_data()
    {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QString>("out");       // a line standard output holds
        QTest::addColumn<QString>("message");   // a line standard error holds
        QTest::addColumn<bool>("started");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("ini");   // null: the game's own
        QTest::newRow("errors in the package") << QStringList{"--compile", "Mod"}
            << "Error: ..\\Mod\\Classes\\Orphan.uc(2) : Error, Superclass MissingBase of class Orphan not found"
            << "" << true << 1 << QByteArray();
        // A plain refusal is not an error.
        QTest::newRow("the game's own package, declined") << QStringList{"--compile", "engine"} << ""
            << "You are about to compile one of Epic's classes. Are you sure?" << false << 0 << QByteArray();
        // Nowhere to list the package: make builds nothing and says success.
        QTest::newRow("no EditPackages line") << QStringList{"--compile", "Mod"} << "Compilation started at: "
            << "UCC ended without writing Mod.u." << true << 1 << QByteArray("[Editor.EditorEngine]\r\nCacheSizeMegs=4\r\n");
    }

    void compile()
    {
        QFETCH(QStringList, actions);
        QFETCH(QString, out);
        QFETCH(QString, message);
        QFETCH(bool, started);
        QFETCH(int, code);
        QFETCH(QByteArray, ini);
        test::StandinScratch scratch;
        InstallStandin(KELVARIN_UCC_STANDIN, "UCC.exe");
        if (!ini.isNull())
            m_game->WriteBytes(QStringLiteral("System/UnrealTournament.ini"), ini);
        ini = m_game->Read(QStringLiteral("System/UnrealTournament.ini"));

        const Outcome run = Run(actions);
        QCOMPARE(run.code, code);
        QVERIFY2(!run.out.contains(CompilerLog::SuccessLine), run.out.constData());
        if (!out.isEmpty())
            QVERIFY2(QString::fromUtf8(run.out).split(QLatin1Char('\n')).filter(out).size() == 1, run.out.constData());
        if (!message.isEmpty())
            QVERIFY2(run.ErrLines().contains(QStringLiteral("Kelvarin: ") + message), qPrintable(run.err));
        QCOMPARE(scratch.Starts().size(), started ? 1 : 0);
        // EditPackages is as it was, and no package file was left behind.
        QCOMPARE(m_game->Read(QStringLiteral("System/UnrealTournament.ini")), ini);
        QVERIFY(!m_game->Exists(QStringLiteral("System/Mod.u")));
    }

    // Without UCC (none in System here), --export and --export-native write
    // the sources themselves and say so; a class left out fails the run.
    void exportWithoutUcc_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("stripped");
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("messages");
        const QString written = QStringLiteral("relics: 1 classes written without UCC.exe.");
        const QString left = written + QStringLiteral(" Not written, their source is not in the package: Bare");
        QTest::newRow("native, a class without source") << "--export-native" << true << 1 << QStringList{left};
        QTest::newRow("UCC missing")
            << "--export" << false << 0
            << QStringList{QString::fromLatin1(PackageExporter::UccFallbackMessage).arg("relics"), written};
    }

    void exportWithoutUcc()
    {
        QFETCH(QString, action);
        QFETCH(bool, stripped);
        QFETCH(int, code);
        QFETCH(QStringList, messages);
        test::PackageWriter relics;
        const int32_t object = relics.ImportClass(relics.ImportPackage("Core"), "Object");
        relics.Class("Relic", object, QByteArray("class Relic extends Object;\r\n"));
        if (stripped)
            relics.Class("Bare", object, std::nullopt);
        m_game->WriteBytes(QStringLiteral("System/relics.u"), relics.Bytes());
        m_game->WriteBytes(QStringLiteral("System/Core.u"), test::SampleCorePackage().Bytes());
        const Outcome run = Run({action, "RELICS"});
        QCOMPARE(run.code, code);
        for (const QString &message : messages)
            QVERIFY2(run.ErrLines().contains(QStringLiteral("Kelvarin: ") + message), qPrintable(run.err));
        QCOMPARE(m_game->Read(QStringLiteral("relics/Classes/Relic.uc")),
                 QByteArray("class Relic extends Object;\r\ndefaultproperties\r\n{\r\n}\r\n"));
        QVERIFY(!m_game->Exists(QStringLiteral("relics/Classes/Bare.uc")));
    }

    // SIGTERM during an export ends UCC before the program ends: nothing
    // keeps writing into the package's sources afterwards.
    void signalDuringExportEndsUcc()
    {
        test::StandinScratch scratch;
        InstallStandin(KELVARIN_UCC_STANDIN, "UCC.exe");
        QCOMPARE(Run({"--yes", "--compile", "Engine"}).code, 0);   // a package the stand-in can export
        const qsizetype compiles = scratch.Starts().size();

        QProcess process;
        const QStringList arguments{"--base", m_base, "--yes", "--export", "Engine", "--print", "classes"};
        Start(process, QStringLiteral(KELVARIN_CLI_PATH), arguments, true);
        QVERIFY(process.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(scratch.Starts().size() > compiles, 30000);
        const qint64 uccPid = scratch.Starts().last().pid;
        QCOMPARE(scratch.Starts().last().arguments.value(0), QStringLiteral("BatchExport"));
        ::kill(pid_t(process.processId()), SIGTERM);
        const bool ended = process.waitForFinished(30000);
        const bool uccAlive = ::kill(pid_t(uccPid), 0) == 0;
        if (uccAlive)
            ::kill(pid_t(uccPid), SIGKILL);
        QVERIFY(ended);
        QVERIFY(!uccAlive);
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(process.readAllStandardOutput().isEmpty());   // no later action ran
    }

};

KELVARIN_TEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
