#include "session/MainCommands.h"
#include "support/ModelHarness.h"
#include "support/PackageWriter.h"
#include "support/RecordingShell.h"
#include "support/StandinScratch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace kelvarin;

namespace {

struct Env
{
    Env()
    {
        commands.SetShell(&shell, &errors);
        commands.SetIntWizard([this](const QString &package) { wizards << package; });
        test::BuildTree(h.model.Browser(), {"Classes", "-Object", "--Actor", "---Foo", "--Util", "-Util"});
        test::BuildTree(h.model.PackagesBrowser(),
                        {"Packages", "-Core", "--Object", "-Bar", "--Foo", "--Bar.int", "--Bar.ini",
                         "-PkgB", "--Util"});
    }

    TreeNode *Class(const QString &path) { return test::NodeAtPath(h.model.Browser(), path); }
    TreeNode *Package(const QString &path) { return test::NodeAtPath(h.model.PackagesBrowser(), path); }
    QString Base(const QString &rest) const { return h.options.BaseDir + rest; }

    // What reached the shell, one line a call: "kind|file|parameters|dir".
    QStringList Calls()
    {
        test::RecordingShell::Settle();
        QStringList lines;
        for (const auto &call : shell.calls)
            lines << call.kind + QLatin1Char('|') + call.request.verb + QLatin1Char('|') + call.request.file
                    + QLatin1Char('|') + call.request.parameters + QLatin1Char('|') + call.request.directory;
        return lines;
    }

    test::ModelHarness h;
    test::RecordingShell shell;
    test::RecordingErrors errors;
    QStringList wizards;
    MainCommands commands{h.options, h.model};
};

} // namespace

class TestMainCommands : public QObject
{
    Q_OBJECT

private slots:
    void EditOpensTheFileBehindANode_data()
    {
        QTest::addColumn<bool>("packageTree");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("bindings");
        QTest::addColumn<QString>("opened");   // below BaseDir; empty: nothing
        QTest::addColumn<QString>("wizard");

        QTest::newRow("class, binding in other case") << false << "Classes/Object/Actor"
            << QStringList{"Core&Object", "Engine&ACTOR"} << "\\Engine\\Classes\\Actor.uc" << "";
        QTest::newRow("class without binding") << false << "Classes/Object/Actor"
            << QStringList{"Core&Object"} << "" << "";
        QTest::newRow("class of the package tree: its own package") << true << "Packages/PkgB/Util"
            << QStringList{"PkgA&Util", "PkgB&Util"} << "\\PkgB\\Classes\\Util.uc" << "";
        QTest::newRow("configuration file") << true << "Packages/Bar/Bar.ini"
            << QStringList{} << "\\System\\Bar.ini" << "";
        QTest::newRow("localisation file: the wizard") << true << "Packages/Bar/Bar.int"
            << QStringList{} << "" << "Bar";
        QTest::newRow("binding naming a path") << false << "Classes/Object/Actor"
            << QStringList{"..&Actor"} << "" << "";
    }

    void EditOpensTheFileBehindANode()
    {
        QFETCH(bool, packageTree);
        QFETCH(QString, path);
        QFETCH(QStringList, bindings);
        QFETCH(QString, opened);
        QFETCH(QString, wizard);
        Env env;
        env.h.model.Bindings().AddMany(bindings);
        env.commands.Edit(packageTree ? env.Package(path) : env.Class(path));
        const QStringList expected = opened.isEmpty()
            ? QStringList{}
            : QStringList{QStringLiteral("shell|open|") + env.Base(opened) + QStringLiteral("||")};
        QCOMPARE(env.Calls(), expected);
        QCOMPARE(env.wizards, wizard.isEmpty() ? QStringList{} : QStringList{wizard});
        QVERIFY(env.errors.shown.isEmpty());
    }

    // A compiled class opens as a read-only copy of the source its package
    // keeps, in the user's cache; anything in the way is reported.
    void EditOfACompiledClassOpensAReadOnlyCopy_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("before");   // the copy's place: "dir" a directory, else a file's bytes
        QTest::addColumn<QByteArray>("copy");     // empty: nothing opened
        QTest::addColumn<QString>("message");
        const QByteArray source = "class Object;\r\n\tvar int Caf\xE9;\r\n";
        QTest::newRow("source kept") << "Classes/Object" << QByteArray() << source << "";
        QTest::newRow("package tree node") << "Packages/Core/Object" << QByteArray() << source << "";
        QTest::newRow("earlier read-only copy replaced") << "Classes/Object" << QByteArray("stale") << source << "";
        QTest::newRow("source stripped") << "Classes/Object/Actor" << QByteArray() << QByteArray()
                                         << "PACKAGE holds no source text for class Actor";
        QTest::newRow("a directory in the way") << "Classes/Object" << QByteArray("dir") << QByteArray()
                                                << "Unable to write COPY";
    }

    void EditOfACompiledClassOpensAReadOnlyCopy()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, copy);
        QFETCH(QString, message);
        QTemporaryDir cache;
        const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
        const auto restore = qScopeGuard([&] { qputenv("XDG_CACHE_HOME", oldCache); });

        Env env;
        test::PackageWriter core;
        core.Class("Actor", core.Class("Object", 0, QByteArray("class Object;\r\n\tvar int Caf\xE9;\r\n")), std::nullopt);
        env.h.game.WriteBytes(QStringLiteral("System/Core.u"), core.Bytes());
        env.h.model.Bindings().AddMany({"Core&Object", "Core&Actor"});
        env.h.model.MarkCompiledClasses({"Object", "Actor"}, true);
        const QString target = cache.path() + QStringLiteral("/Kelvarin/Core/") + path.section(QLatin1Char('/'), -1)
            + QStringLiteral(".uc");
        QVERIFY(QDir().mkpath(cache.path() + QStringLiteral("/Kelvarin/Core")));
        if (before == "dir") {
            QVERIFY(QDir().mkpath(target));
        } else if (!before.isEmpty()) {
            QFile stale(target);
            QVERIFY(stale.open(QIODevice::WriteOnly) && stale.write(before) == before.size());
            stale.close();
            QVERIFY(QFile::setPermissions(target, QFile::ReadOwner));
        }

        env.commands.Edit(path.startsWith(QLatin1String("Packages")) ? env.Package(path) : env.Class(path));
        const QString name = path.section(QLatin1Char('/'), -1);
        if (copy.isEmpty()) {
            QVERIFY(env.Calls().isEmpty());
            QCOMPARE(env.h.prompter.Texts(),
                     QStringList{message
                                     .replace(QStringLiteral("PACKAGE"),
                                              QDir::toNativeSeparators(env.h.game.Native(QStringLiteral("System/Core.u"))))
                                     .replace(QStringLiteral("COPY"), QDir::toNativeSeparators(target))});
            QVERIFY(env.h.StatusesStartingWith(QStringLiteral("Opened")).isEmpty());
            return;
        }
        QFile written(target);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), copy);
        QVERIFY(!(QFileInfo(target).permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)));
        QCOMPARE(env.Calls(), QStringList{QStringLiteral("shell|open|") + QDir::toNativeSeparators(target) + QStringLiteral("||")});
        QCOMPARE(env.h.StatusesStartingWith(QStringLiteral("Opened")),
                 QStringList{QStringLiteral("Opened a read-only copy of ") + name
                             + QStringLiteral(" from the compiled package Core.u")});
        QVERIFY(env.h.prompter.Texts().isEmpty());
        QVERIFY(env.errors.shown.isEmpty());
    }

    void NodeTextsThatLeadElsewhereOpenNothing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("parent directory") << "..";
        QTest::newRow("separator") << "..\\..\\etc\\passwd";
        QTest::newRow("slash") << "x/y.ini";
    }

    void NodeTextsThatLeadElsewhereOpenNothing()
    {
        QFETCH(QString, text);
        Env env;
        Tree &packages = env.h.model.PackagesBrowser();
        TreeNode *file = packages.Add(env.Package(QStringLiteral("Packages/Bar")), text, 6);
        env.h.model.Bindings().Add(QStringLiteral("Bar&") + text);
        env.commands.Edit(file);
        env.commands.Edit(env.h.model.Browser().Add(env.Class(QStringLiteral("Classes/Object")), text));
        QVERIFY(env.Calls().isEmpty());
    }

    void OpenInEditorFallsBackThenReports_data()
    {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QStringList>("kinds");
        QTest::addColumn<int>("errorCode");   // 0: no error box
        QTest::addColumn<QString>("missing");  // the program the shell names

        QTest::newRow("opened") << QList<int>{42} << QStringList{"shell"} << 0 << "";
        QTest::newRow("no association, text editor") << QList<int>{31, 42}
                                                     << QStringList{"shell", "text editor"} << 0 << "";
        QTest::newRow("incomplete association, nothing") << QList<int>{27, 31}
                                                         << QStringList{"shell", "text editor"} << 31 << "";
        QTest::newRow("not found: no fallback") << QList<int>{2} << QStringList{"shell"} << 2 << "";
        QTest::newRow("32 is a failure") << QList<int>{32} << QStringList{"shell"} << 32 << "";
        // The file is there; the stored editor is not: the box names it.
        QTest::newRow("editor missing: named") << QList<int>{2} << QStringList{"shell"} << 2 << "/usr/bin/gone-editor";
    }

    void OpenInEditorFallsBackThenReports()
    {
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, kinds);
        QFETCH(int, errorCode);
        QFETCH(QString, missing);
        Env env;
        env.shell.answers = answers;
        env.shell.missing = missing;
        const QString path = env.Base(QStringLiteral("\\My Mod\\Classes\\A&B.uc"));
        env.commands.OpenInEditor(path);
        env.Calls();
        env.Calls();   // the fallback's answer arrives one turn later
        QStringList seen;
        for (const auto &call : env.shell.calls) {
            seen << call.kind;
            QCOMPARE(call.request.file, path);
        }
        QCOMPARE(seen, kinds);
        if (errorCode == 0) {
            QVERIFY(env.errors.shown.isEmpty());
        } else {
            QCOMPARE(env.errors.shown.size(), 1);
            QCOMPARE(env.errors.shown.first().first, errorCode);
            QCOMPARE(env.errors.shown.first().second,
                     !missing.isEmpty() ? missing
                                        : QDir::toNativeSeparators(env.h.game.Base() + QStringLiteral("/My Mod/Classes/A&B.uc")));
        }
    }

    void AnAnswerAfterTheCommandsAreGoneIsDropped()
    {
        test::ModelHarness h;
        test::RecordingShell shell;
        test::RecordingErrors errors;
        shell.answers = {31};
        {
            MainCommands commands(h.options, h.model);
            commands.SetShell(&shell, &errors);
            commands.OpenInEditor(h.options.BaseDir + QStringLiteral("\\x.uc"));
        }
        test::RecordingShell::Settle();
        QCOMPARE(shell.calls.size(), 1);
        QVERIFY(errors.shown.isEmpty());
    }

    void EditThisClassAndDoubleClickSkipRootsAndPackages()
    {
        Env env;
        env.h.model.Bindings().AddMany({"Core&Object", "Bar&Foo"});
        const QList<TreeNode *> nothing{env.Class(QStringLiteral("Classes")), env.Package(QStringLiteral("Packages")),
                                        env.Package(QStringLiteral("Packages/Bar")), nullptr};
        for (TreeNode *node : nothing) {
            env.commands.BrowserDblClick(node);
            env.h.model.PackagesBrowser().Select(node);
            env.commands.PackagesBrowserMouseDown();
            env.commands.EditthisclassMenuItemClick();
        }
        QVERIFY(env.Calls().isEmpty());

        env.commands.BrowserDblClick(env.Class(QStringLiteral("Classes/Object")));
        env.h.model.PackagesBrowser().Select(env.Package(QStringLiteral("Packages/Bar/Foo")));
        QVERIFY(env.commands.PackagesBrowserMouseDown());
        env.commands.EditthisclassMenuItemClick();
        QCOMPARE(env.Calls(), (QStringList{
            QStringLiteral("shell|open|") + env.Base(QStringLiteral("\\Core\\Classes\\Object.uc||")),
            QStringLiteral("shell|open|") + env.Base(QStringLiteral("\\Bar\\Classes\\Foo.uc||"))}));
    }

    void RightClicksRecordTheNodeAndTagThePopup()
    {
        Env env;
        Tree &browser = env.h.model.Browser();
        Tree &packages = env.h.model.PackagesBrowser();

        QVERIFY(!env.commands.BrowserMouseDown());   // nothing selected
        QCOMPARE(env.commands.RightClickedNode(), nullptr);

        browser.Select(browser.First());
        QVERIFY(!env.commands.BrowserMouseDown());   // the root: no pop-up, but remembered
        QCOMPARE(env.commands.RightClickedNode(), browser.First());
        QCOMPARE(env.commands.PopupTag(), nullptr);

        TreeNode *foo = env.Package(QStringLiteral("Packages/Bar/Foo"));
        packages.Select(foo);
        QVERIFY(env.commands.PackagesBrowserMouseDown());
        QCOMPARE(env.commands.PopupTag(), foo);
        QCOMPARE(env.commands.Popup().deleteCaption, QStringLiteral("Delete class Foo"));

        env.h.model.Bindings().Add(QStringLiteral("Engine&Actor"));
        TreeNode *actor = env.Class(QStringLiteral("Classes/Object/Actor"));
        browser.Select(actor);
        QVERIFY(env.commands.BrowserMouseDown());
        QCOMPARE(env.commands.PopupTag(), actor);
        QCOMPARE(env.commands.Popup().compileCaption, QStringLiteral("Compile Engine"));
        QCOMPARE(env.commands.Popup().deleteCaption, QStringLiteral("Delete class Actor"));
    }

    void NodesThatGoAreForgotten_data()
    {
        QTest::addColumn<QString>("removed");   // class-tree path; empty: reset
        QTest::addColumn<bool>("kept");
        QTest::newRow("the node") << "Classes/Object/Actor/Foo" << false;
        QTest::newRow("an ancestor") << "Classes/Object" << false;
        QTest::newRow("a sibling") << "Classes/Object/Util" << true;
        QTest::newRow("reset") << "" << false;
        QTest::newRow("the package tree cleared") << "Packages" << true;
    }

    void NodesThatGoAreForgotten()
    {
        QFETCH(QString, removed);
        QFETCH(bool, kept);
        Env env;
        Tree &browser = env.h.model.Browser();
        TreeNode *foo = env.Class(QStringLiteral("Classes/Object/Actor/Foo"));
        browser.Select(foo);
        QVERIFY(env.commands.BrowserMouseDown());
        if (removed.isEmpty())
            env.h.model.ResetModel();
        else if (removed == QLatin1String("Packages"))
            env.h.model.PackagesBrowser().Clear();
        else
            browser.Remove(env.Class(removed));
        QCOMPARE(env.commands.PopupTag(), kept ? foo : nullptr);
        QCOMPARE(env.commands.RightClickedNode(), kept ? foo : nullptr);
    }

    void SwitchFindsTheSameNameInTheOtherTree_data()
    {
        QTest::addColumn<QString>("selected");   // class-tree path
        QTest::addColumn<QString>("tagged");     // class-tree path, empty: none
        QTest::addColumn<QString>("found");      // package-tree path, empty: none
        QTest::newRow("selection") << "Classes/Object" << "" << "Packages/Core/Object";
        QTest::newRow("the tag wins") << "Classes/Object" << "Classes/Object/Actor/Foo" << "Packages/Bar/Foo";
        QTest::newRow("no such node") << "Classes/Object/Actor" << "" << "";
        QTest::newRow("first of two in tree order") << "Classes/Util" << "" << "Packages/PkgB/Util";
    }

    void SwitchFindsTheSameNameInTheOtherTree()
    {
        QFETCH(QString, selected);
        QFETCH(QString, tagged);
        QFETCH(QString, found);
        Env env;
        Tree &browser = env.h.model.Browser();
        if (!tagged.isEmpty()) {
            browser.Select(env.Class(tagged));
            QVERIFY(env.commands.BrowserMouseDown());
        }
        browser.Select(env.Class(selected));
        TreeNode *target = env.commands.SwitchTarget(env.h.model.PackagesBrowser());
        QCOMPARE(target, found.isEmpty() ? nullptr : env.Package(found));
        if (!tagged.isEmpty())
            QCOMPARE(browser.Selected(), env.Class(tagged));
    }

    void SwitchIgnoresCaseAndStopsWhenTerminating()
    {
        Env env;
        env.h.model.PackagesBrowser().Select(env.Package(QStringLiteral("Packages/Core/Object")));
        env.h.model.Browser().Add(env.Class(QStringLiteral("Classes")), QStringLiteral("OBJECT"));
        QCOMPARE(env.commands.SwitchTarget(env.h.model.Browser()), env.Class(QStringLiteral("Classes/Object")));
        env.h.pump.SetTerminating(true);
        QCOMPARE(env.commands.SwitchTarget(env.h.model.Browser()), nullptr);
    }

    void EditUTiniOpensTheConfigurationQuietly()
    {
        Env env;
        env.shell.answers = {31, 2};
        env.commands.EditUTiniMenuItemClick();
        env.Calls();
        const QString ini = env.Base(QStringLiteral("\\System\\UnrealTournament.ini"));
        QCOMPARE(env.Calls(), (QStringList{
            QStringLiteral("shell|open|") + ini + QStringLiteral("||") + env.Base(QStringLiteral("\\System")),
            QStringLiteral("text editor|open|") + ini + QStringLiteral("||")}));
        QVERIFY(env.errors.shown.isEmpty());
    }

    void EditUTiniOpensANativeBuildsOwnCopy()
    {
        Env env;
        test::StandinScratch scratch;   // HOME is its home/
        // A native build: a Linux program of this machine as System/ut-bin.
        env.h.options.BaseDir = scratch.Path(QStringLiteral("game"));
        scratch.CopyProgram(QStringLiteral("game/System/ut-bin"));
        scratch.Write(QStringLiteral("home/.utpg/System/UnrealTournament.ini"), QByteArray());
        env.commands.EditUTiniMenuItemClick();
        const QStringList calls = env.Calls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls.first().section(QLatin1Char('|'), 2, 2), scratch.Path(QStringLiteral("home/.utpg/System/UnrealTournament.ini")));
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestMainCommands)
#include "tst_MainCommands.moc"
