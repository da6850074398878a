#include "tools/Launchers.h"

#include "model/PackageLoader.h"
#include "platform/LaunchCodes.h"
#include "platform/SpecPath.h"
#include "support/ModelHarness.h"
#include "support/RecordingShell.h"
#include "support/StandinScratch.h"
#include "tools/DedicatedServerThread.h"
#include "tools/ErrorReporter.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

using namespace kelvarin;
using test::ModelHarness;
using test::NodeAtPath;

namespace {

constexpr int LaunchLimitMs = 30000;

void Settle() { test::RecordingShell::Settle(); }

QString Describe(const ShellRequest &r)
{
    return r.verb + QLatin1Char('|') + r.file + QLatin1Char('|') + r.parameters + QLatin1Char('|')
        + r.directory;
}

// A game with Core (Object) and GameKit (KitActor, KitInfo and
// System/GameKit.int) loaded, the command line "ctf-face", and the launchers.
struct Fixture
{
    ModelHarness h;
    test::RecordingShell shell;
    test::RecordingErrors errors;
    std::unique_ptr<Launchers> launchers;

    Fixture()
    {
        h.options.CommandLine = QStringLiteral("ctf-face");
        h.game.WriteClass(QStringLiteral("Core"), QStringLiteral("Object.uc"), QStringLiteral("class Object;"));
        h.game.WriteClass(QStringLiteral("GameKit"), QStringLiteral("KitActor.uc"),
                          QStringLiteral("class KitActor expands Object;"));
        h.game.WriteClass(QStringLiteral("GameKit"), QStringLiteral("KitInfo.uc"),
                          QStringLiteral("class KitInfo expands KitActor;"));
        h.game.WriteText(QStringLiteral("System/GameKit.int"), QStringLiteral("[Public]\r\n"));
        h.model.ResetModel();
        PackageLoader loader(h.model);
        loader.LoadPackage(QStringLiteral("Core"), false);
        loader.LoadPackage(QStringLiteral("GameKit"), false);
        launchers = std::make_unique<Launchers>(h.options, h.model, shell, errors, h.prompter);
    }

    QString Base() const { return h.options.BaseDir; }
    QString System() const { return Base() + QLatin1String("\\System"); }
};

} // namespace

class TestLaunchers : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_emptyPath;

    static void Run(Launchers &launchers, const QString &command)
    {
        if (command == QLatin1String("test run"))
            launchers.TestRunButtonClick();
        else if (command == QLatin1String("join"))
            launchers.JoinyourselfMenuItemClick();
        else if (command == QLatin1String("log"))
            launchers.UTLogClick();
        else if (command == QLatin1String("explore game"))
            launchers.ExploreUTButtonClick();
        else
            QFAIL("unknown command");
    }

private slots:
    void initTestCase()
    {
        // Nothing of the machine's is found or shown: no terminal, no wine.
        QVERIFY(m_emptyPath.isValid());
        qputenv("PATH", QFile::encodeName(m_emptyPath.path()));
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        qunsetenv("KELVARIN_STANDIN_EXIT");
        qunsetenv("KELVARIN_STANDIN_STDOUT");
    }

    void LogOfANativeBuildIsTheUsersCopy()
    {
        Fixture f;
        test::StandinScratch scratch;   // HOME is its home/
        // A native build: a Linux program of this machine as System/ut-bin.
        f.h.options.BaseDir = scratch.Path(QStringLiteral("game"));
        scratch.CopyProgram(QStringLiteral("game/System/ut-bin"));
        const QString log = scratch.Path(QStringLiteral("home/.utpg/System/UnrealTournament.log"));
        scratch.Write(QStringLiteral("home/.utpg/System/UnrealTournament.log"), QByteArray());
        f.launchers->UTLogClick();
        QCOMPARE(f.shell.calls.size(), 1);
        QCOMPARE(QFileInfo(SpecPath::ToNative(f.shell.calls.first().request.file)).canonicalFilePath(),
                 QFileInfo(log).canonicalFilePath());
    }

    void Answers_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("errorShown");

        QTest::newRow("explore game: not found") << "explore game" << LaunchCode::PathNotFound << true;
        QTest::newRow("explore game: unknown error 0") << "explore game" << 0 << true;
        QTest::newRow("explore game: the last error code") << "explore game" << 32 << true;
        QTest::newRow("explore game: opened") << "explore game" << 33 << false;
        QTest::newRow("test run: a failed start stays silent") << "test run" << LaunchCode::FileNotFound << false;
        QTest::newRow("join: silent") << "join" << LaunchCode::BadFormat << false;
        QTest::newRow("log: silent") << "log" << LaunchCode::NoAssociation << false;
    }

    void Answers()
    {
        QFETCH(QString, command);
        QFETCH(int, answer);
        QFETCH(bool, errorShown);

        Fixture f;
        f.shell.answers = {answer};
        Run(*f.launchers, command);
        QCOMPARE(f.errors.shown.size(), 0);   // answers come later, never from inside the call
        Settle();
        QCOMPARE(f.errors.shown.size(), errorShown ? 1 : 0);
        if (errorShown) {
            QCOMPARE(f.errors.shown.first().first, answer);
            QCOMPARE(f.errors.shown.first().second, SpecPath::Display(f.Base()));
        }
        QCOMPARE(f.h.prompter.shown.size(), 0);
    }

    void AnswerAfterTheLaunchersAreGone()
    {
        Fixture f;
        f.shell.answers = {LaunchCode::PathNotFound};
        f.launchers->ExploreUTButtonClick();
        f.launchers.reset();
        Settle();
        QCOMPARE(f.errors.shown.size(), 0);
    }

    void ExplorePackage_data()
    {
        QTest::addColumn<QString>("tree");      // "packages" or "classes"
        QTest::addColumn<QString>("path");      // empty: no node
        QTest::addColumn<QString>("explored");  // the package explored; empty: none
        QTest::addColumn<QString>("refused");   // the package in the error box (code 3); empty: none
        QTest::addColumn<int>("answer");        // the shell's answer to the explore

        const int opened = 42;
        QTest::newRow("package node") << "packages" << "Packages/GameKit" << "GameKit" << "" << opened;
        QTest::newRow("class of the package tree") << "packages" << "Packages/GameKit/KitInfo" << "GameKit" << "" << opened;
        QTest::newRow(".int file node") << "packages" << "Packages/GameKit/GameKit.int" << "GameKit" << "" << opened;
        QTest::newRow("class of the class tree: its package, not its name")
            << "classes" << "Classes/Object/KitActor/KitInfo" << "GameKit" << "" << opened;
        QTest::newRow("explore failed: the package's directory named")
            << "classes" << "Classes/Object/KitActor" << "GameKit" << "GameKit" << int(LaunchCode::PathNotFound);
        QTest::newRow("class bound to no package") << "classes" << "Classes/Stray" << "" << "? ? ?" << opened;
        QTest::newRow("package name leading out of the game") << "packages" << "Packages/.." << "" << ".." << opened;
        QTest::newRow("class under such a package") << "packages" << "Packages/../Sneaky" << "" << ".." << opened;
        QTest::newRow("package tree root") << "packages" << "Packages" << "" << "" << opened;
        QTest::newRow("no node") << "classes" << "" << "" << "" << opened;
    }

    void ExplorePackage()
    {
        QFETCH(QString, tree);
        QFETCH(QString, path);
        QFETCH(QString, explored);
        QFETCH(QString, refused);
        QFETCH(int, answer);

        Fixture f;
        f.shell.answers = {answer};
        Tree &classes = f.h.model.Browser();
        Tree &packages = f.h.model.PackagesBrowser();
        classes.Add(classes.First(), QStringLiteral("Stray"));
        TreeNode *unsafe = packages.Add(packages.First(), QStringLiteral(".."));
        packages.Add(unsafe, QStringLiteral("Sneaky"));

        TreeNode *node = nullptr;
        if (!path.isEmpty()) {
            node = NodeAtPath(tree == QLatin1String("packages") ? packages : classes, path);
            QVERIFY2(node, qPrintable(path));
        }
        f.launchers->ExplorePopupItemClick(node);
        Settle();

        QStringList requests;
        for (const test::RecordingShell::Call &c : f.shell.calls)
            requests.append(Describe(c.request));
        const QString dir = f.Base() + QLatin1Char('\\') + explored;
        QCOMPARE(requests, explored.isEmpty() ? QStringList() : QStringList{"Explore|" + dir + "||" + dir});

        QCOMPARE(f.errors.shown.size(), refused.isEmpty() ? 0 : 1);
        if (!refused.isEmpty()) {
            QCOMPARE(f.errors.shown.first().first, LaunchCode::PathNotFound);
            QCOMPARE(f.errors.shown.first().second,
                     SpecPath::Display(f.Base() + QLatin1Char('\\') + refused));
        }
    }

    void ServerThatCannotStart()
    {
        Fixture f;   // the scratch game has no UCC.exe
        qsizetype boxesBefore = -1;
        f.errors.onShow = [&] { boxesBefore = f.h.prompter.shown.size(); };
        f.launchers->RundedicatedserverMenuItemClick();
        QCOMPARE(f.launchers->ServerCount(), 1);
        TDedicatedServerThread *server = f.launchers->Servers().front();
        QCOMPARE(server->ProgramPath, f.System() + QLatin1String("\\ucc.exe"));
        QCOMPARE(server->Parameters, QStringLiteral("server ctf-face"));
        QCOMPARE(server->WorkingDirectory, f.System());
        QVERIFY(server->wait(QDeadlineTimer(LaunchLimitMs)));
        Settle();

        // The error box first, then the message that the run is over.
        QCOMPARE(f.errors.shown.size(), 1);
        QCOMPARE(f.errors.shown.first().first, LaunchCode::FileNotFound);
        QCOMPARE(f.errors.shown.first().second, SpecPath::Display(f.System() + QLatin1String("\\ucc.exe")));
        QCOMPARE(boxesBefore, 0);
        QCOMPARE(f.h.prompter.Texts(), QStringList{"Unable to run UCC.exe\r\nCompilation halted."});

        // The next start reaps the finished thread.
        f.launchers->RundedicatedserverMenuItemClick();
        QCOMPARE(f.launchers->ServerCount(), 1);
        QVERIFY(f.launchers->Servers().front()->wait(QDeadlineTimer(LaunchLimitMs)));
        Settle();
        QCOMPARE(f.errors.shown.size(), 2);
    }

    void ServerFailureAfterTheLaunchersAreGone()
    {
        Fixture f;
        f.launchers->RundedicatedserverMenuItemClick();
        QVERIFY(f.launchers->Servers().front()->wait(QDeadlineTimer(LaunchLimitMs)));
        f.launchers.reset();
        Settle();
        QCOMPARE(f.errors.shown.size(), 0);
        QCOMPARE(f.h.prompter.shown.size(), 0);
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestLaunchers)
#include "tst_launchers.moc"
