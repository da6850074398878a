#include "search/ClassFinder.h"
#include "support/ModelHarness.h"
#include "support/PackageWriter.h"
#include "support/ScriptedPump.h"

#include <QTest>

using namespace kelvarin;

namespace {

using test::ScriptedPump;

// A model on a scratch game with the finder on top of it, recording what
// the finder tells its window.
struct Env
{
    Env()
    {
        options.BaseDir = game.Base();
        model.ResetModel();
        test::BuildTree(model.Browser(), {"Classes", "-Object", "--Actor", "---Pawn", "----Bot", "---Info",
                                          "--Util", "-Orphan"});
        test::BuildTree(model.PackagesBrowser(), {"Packages", "-Core", "--Object", "--Util", "-Engine", "--Actor",
                                                  "--Pawn", "--Info", "--Engine.int", "--Engine.ini", "-Bots",
                                                  "--Bot"});
        model.Bindings().AddMany({"Core&Object", "Core&Util", "Engine&Actor", "Engine&Pawn", "Engine&Info",
                                  "Bots&Bot"});
        finder.SetStatusSink([this](const QString &text) { statuses.append(text); });
        finder.SetRowSink([this](const FindResult &row) { sunk.append(Row(row)); });
        finder.SetSearchingHandler([this](bool on) { searching.append(on); });
        finder.SetChoicesChangedHandler([this] { ++choicesChanged; });
    }

    TreeNode *At(const QString &path)
    {
        if (path.isEmpty())
            return nullptr;
        return test::NodeAtPath(path.startsWith(QLatin1String("Packages")) ? model.PackagesBrowser() : model.Browser(),
                                path);
    }

    static QString Row(const FindResult &r)
    {
        return QStringList{r.className, r.package, QString::number(r.line), r.context}.join(QLatin1Char('|'));
    }
    QStringList Rows() const
    {
        QStringList rows;
        for (const FindResult &row : finder.Results())
            rows.append(Row(row));
        return rows;
    }
    // The nodes the walk tested, from the "Searching X" texts.
    QStringList Visited() const
    {
        QStringList visited;
        for (const QString &s : statuses)
            if (s.startsWith(QLatin1String(ClassFinder::SearchingStatus)))
                visited.append(s.mid(int(qstrlen(ClassFinder::SearchingStatus))));
        return visited;
    }
    void Forget() { statuses.clear(), sunk.clear(), searching.clear(); }

    test::GameDir game;
    TOptions options;
    ScriptedPump pump;
    test::ScriptedPrompter prompter;
    ClassModel model{options, pump, prompter};
    ClassFinder finder{model};
    QStringList statuses;
    QStringList sunk;
    QList<bool> searching;
    int choicesChanged = 0;
};

} // namespace

class TestClassFinder : public QObject
{
    Q_OBJECT

private slots:
    void LookInCaptions_data()
    {
        QTest::addColumn<QString>("earlier");   // a LookIn set before, or empty
        QTest::addColumn<QString>("node");      // empty: none
        QTest::addColumn<QString>("lookIn");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("enabled");

        QTest::newRow("class node") << "" << "Classes/Object/Actor" << "Classes/Object/Actor"
            << QStringList{"All classes", "Class Actor and children", "Class Actor and parents"} << 1 << true;
        QTest::newRow("package root") << "" << "Packages" << "Packages"
            << QStringList{"All classes", "All packages", "Class Object and parents"} << 1 << true;
        QTest::newRow("package node") << "" << "Packages/Engine" << "Packages/Engine"
            << QStringList{"All classes", "Package: Engine", "Class Object and parents"} << 1 << true;
        QTest::newRow("class under a package") << "" << "Packages/Engine/Pawn" << "Packages/Engine"
            << QStringList{"All classes", "Package: Engine", "Class Object and parents"} << 1 << true;
        QTest::newRow("package after a class keeps item 2") << "Classes/Object/Actor/Pawn" << "Packages/Core"
            << "Packages/Core" << QStringList{"All classes", "Package: Core", "Class Pawn and parents"} << 1 << true;
        QTest::newRow("none") << "" << "" << ""
            << QStringList{"All classes", "Class Object and children", "Class Object and parents"} << 0 << false;
    }

    void LookInCaptions()
    {
        QFETCH(QString, earlier);
        QFETCH(QString, node);
        QFETCH(QString, lookIn);
        Env env;
        if (!earlier.isEmpty())
            env.finder.SetLookIn(env.At(earlier));
        env.finder.SelectSearchIn(2);
        env.finder.SetLookIn(env.At(node));
        QCOMPARE(env.finder.LookIn(), env.At(lookIn));
        QTEST(env.finder.SearchInItems(), "items");
        QTEST(env.finder.SearchInSelected(), "selected");
        QTEST(env.finder.SearchInEnabled(), "enabled");
        QCOMPARE(env.choicesChanged, 0);
    }

    void WalkOrder_data()
    {
        QTest::addColumn<QString>("lookIn");
        QTest::addColumn<int>("item");
        QTest::addColumn<bool>("parents");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("visited");
        QTest::addColumn<QStringList>("rows");

        const QStringList allClasses{"Classes", "Object", "Actor", "Pawn", "Bot", "Info", "Util", "Orphan"};
        QTest::newRow("all classes") << "" << 0 << false << "" << allClasses
            << QStringList{"Classes|? ? ?|0|", "Object|Core|0|", "Actor|Engine|0|", "Pawn|Engine|0|",
                           "Bot|Bots|0|", "Info|Engine|0|", "Util|Core|0|", "Orphan|? ? ?|0|"};
        QTest::newRow("item 0 with a LookIn: all classes") << "Classes/Object/Actor" << 0 << false << "o"
            << allClasses << QStringList{"Object|Core|0|", "Actor|Engine|0|", "Bot|Bots|0|", "Info|Engine|0|",
                                         "Orphan|? ? ?|0|"};
        QTest::newRow("children of a class, by name") << "Classes/Object" << 1 << false << "T"
            << QStringList{"Object", "Actor", "Pawn", "Bot", "Info", "Util"}
            << QStringList{"Object|Core|0|", "Actor|Engine|0|", "Bot|Bots|0|", "Util|Core|0|"};
        QTest::newRow("parents of a class") << "Classes/Object/Actor/Pawn/Bot" << 2 << true << ""
            << QStringList{"Bot", "Pawn", "Actor", "Object"}
            << QStringList{"Bot|Bots|0|", "Pawn|Engine|0|", "Actor|Engine|0|", "Object|Core|0|"};
        QTest::newRow("parents of the root") << "Classes" << 2 << true << ""
            << QStringList{"Classes"} << QStringList{"Classes|? ? ?|0|"};
        QTest::newRow("class under a package: its package") << "Packages/Core/Util" << 1 << false << ""
            << QStringList{"Core", "Object", "Util"}
            << QStringList{"Core|? ? ?|0|", "Object|Core|0|", "Util|Core|0|"};
        QTest::newRow("all packages") << "Packages" << 1 << false << "t"
            << QStringList{"Packages", "Core", "Object", "Util", "Engine", "Actor", "Pawn", "Info", "Engine.int",
                           "Engine.ini", "Bots", "Bot"}
            << QStringList{"Object|Core|0|", "Util|Core|0|", "Actor|Engine|0|", "Engine.int|? ? ?|0|",
                           "Bots|? ? ?|0|", "Bot|Bots|0|"};
    }

    void WalkOrder()
    {
        QFETCH(QString, lookIn);
        QFETCH(int, item);
        QFETCH(bool, parents);
        QFETCH(QString, name);
        QFETCH(QStringList, rows);
        Env env;
        env.finder.SetLookIn(env.At(lookIn));
        env.finder.SelectSearchIn(item);
        QCOMPARE(env.finder.SearchClasses(name, QString(), parents), ClassFinder::Outcome::Done);
        QTEST(env.Visited(), "visited");
        QCOMPARE(env.Rows(), rows);
        QCOMPARE(env.sunk, rows);
        QCOMPARE(env.statuses.last(), QString::fromLatin1(ClassFinder::DoneStatus));
        QCOMPARE(env.searching, (QList<bool>{true, false}));
        QVERIFY(!env.finder.Searching());
        QVERIFY(!env.model.Busy());
    }

    void ContainingReadsEachSource()
    {
        Env env;
        // The game sits one level down, so that a path leaving it can be tested.
        env.options.BaseDir = env.game.Base() + QStringLiteral("/Game");
        env.game.WriteText(QStringLiteral("Game/Engine/Classes/Actor.uc"), "class Actor;\r\n\r\n\tvar int Health;\r\n");
        env.game.WriteText(QStringLiteral("Game/Engine/Classes/Pawn.uc"), "class Pawn;\r\n");
        env.game.WriteText(QStringLiteral("Game/Bots/Classes/Bot.uc"), "// health\r\n");
        env.game.WriteText(QStringLiteral("Game/? ? ?/Classes/Orphan.uc"), "health\r\n");
        env.game.WriteText(QStringLiteral("Game/Engine/Classes/Sub/Evil.uc"), "health\r\n");
        env.game.WriteText(QStringLiteral("Classes/Leak.uc"), "health\r\n");
        env.model.Browser().Add(env.At(QStringLiteral("Classes/Object")), QStringLiteral("Sub/Evil"));
        env.model.Browser().Add(env.At(QStringLiteral("Classes/Object")), QStringLiteral("Leak"));
        env.model.Bindings().AddMany({"Engine&Sub/Evil", "..&Leak"});
        // Core is read from its compiled package, which keeps Object's source
        // and not Util's.
        test::PackageWriter core;
        core.Class("Util", core.Class("Object", 0, QByteArray("class Object;\r\n\r\n// health kept\r\n")), std::nullopt);
        env.game.WriteBytes(QStringLiteral("Game/System/Core.u"), core.Bytes());
        env.model.MarkCompiledClasses({"Object", "Util"}, true);

        QCOMPARE(env.finder.SearchClasses(QString(), QStringLiteral("Health"), false), ClassFinder::Outcome::Done);
        QCOMPARE(env.Rows(), (QStringList{"Object|Core|3|// health kept", "Actor|Engine|3|var int Health;",
                                          "Bot|Bots|1|// health"}));

        // A name narrows the classes whose sources are read.
        QCOMPARE(env.finder.SearchClasses(QStringLiteral("act"), QStringLiteral("CLASS"), false),
                 ClassFinder::Outcome::Done);
        QCOMPARE(env.Rows(), QStringList{"Actor|Engine|1|class Actor;"});
    }

    // A terminating pump ends the walk where it is, and the next search at
    // once. Stop is the find box's (tst_FindBox) and DepthGuard's.
    void TerminatingEndsTheWalk()
    {
        Env env;
        // Pump calls come before Object, Actor, then the third one acts.
        env.pump.actionAt = 3;
        env.pump.action = [&] { env.pump.SetTerminating(); };
        QCOMPARE(env.finder.SearchClasses(QString(), QString(), false), ClassFinder::Outcome::Done);
        QCOMPARE(env.Rows(), (QStringList{"Classes|? ? ?|0|", "Object|Core|0|", "Actor|Engine|0|"}));
        QCOMPARE(env.statuses.last(), QString::fromLatin1(ClassFinder::DoneStatus));
        QCOMPARE(env.searching, (QList<bool>{true, false}));
        env.Forget();
        env.finder.SearchClasses(QString(), QString(), false);
        QCOMPARE(env.finder.Results().size(), 1);
    }

    void RefusedWhileTheModelIsBusy()
    {
        Env env;
        env.finder.SearchClasses(QStringLiteral("Util"), QString(), false);
        env.Forget();
        {
            ClassModel::BusyScope busy(env.model, QStringLiteral("loading"));
            QCOMPARE(env.finder.SearchClasses(QString(), QString(), false), ClassFinder::Outcome::Refused);
        }
        QCOMPARE(env.Rows(), QStringList{"Util|Core|0|"});
        QVERIFY(env.statuses.isEmpty());
        QVERIFY(env.searching.isEmpty());
        QCOMPARE(env.model.BusyWith(), QString());

        // A search started from the pump while one runs is refused as well.
        ClassFinder::Outcome inner = ClassFinder::Outcome::Done;
        QString busyWith;
        env.pump.actionAt = env.pump.calls + 2;
        env.pump.action = [&] {
            busyWith = env.model.BusyWith();
            inner = env.finder.SearchClasses(QString(), QString(), false);
        };
        QCOMPARE(env.finder.SearchClasses(QString(), QString(), false), ClassFinder::Outcome::Done);
        QCOMPARE(inner, ClassFinder::Outcome::Refused);
        QCOMPARE(busyWith, QStringLiteral("searching"));
        QCOMPARE(env.finder.Results().size(), 8);
    }

    void DepthGuard_data()
    {
        QTest::addColumn<int>("levels");    // nodes below the root, one under the other
        QTest::addColumn<bool>("parents");  // from the deepest node up
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QStringList>("ends");   // first and last row

        // Toward children the walk of a node n levels below the start is
        // the (n + 1)th nested one: level 10000 is tested, its walk is one
        // too many.
        QTest::newRow("9,999 levels") << 9999 << false << int(ClassFinder::Outcome::Done)
            << QStringList{"Classes", "N9999"};
        QTest::newRow("10,000 levels") << 10000 << false << int(ClassFinder::Outcome::TooDeep)
            << QStringList{"Classes", "N10000"};
        // Toward parents: the start and 10,000 ancestors.
        QTest::newRow("20,000 levels toward parents") << 20000 << true << int(ClassFinder::Outcome::TooDeep)
            << QStringList{"N20000", "N10000"};
        QTest::newRow("10,000 levels toward parents") << 10000 << true << int(ClassFinder::Outcome::Done)
            << QStringList{"N10000", "N1"};
    }

    void DepthGuard()
    {
        QFETCH(int, levels);
        QFETCH(bool, parents);
        QFETCH(int, outcome);
        QFETCH(QStringList, ends);
        Env env;
        Tree &tree = env.model.Browser();
        tree.Clear();
        TreeNode *node = tree.Add(nullptr, QStringLiteral("Classes"));
        for (int i = 1; i <= levels; ++i)
            node = tree.Add(node, QStringLiteral("N%1").arg(i));
        if (parents) {
            env.finder.SetLookIn(node);
            env.finder.SelectSearchIn(2);
        }
        const int expectedRows = outcome == int(ClassFinder::Outcome::TooDeep) ? 10001 : (parents ? levels : levels + 1);

        QCOMPARE(int(env.finder.SearchClasses(QString(), QString(), parents)), outcome);
        QCOMPARE(env.finder.Results().size(), expectedRows);
        QCOMPARE(env.finder.Results().first().className, ends.first());
        QCOMPARE(env.finder.Results().last().className, ends.last());
        QCOMPARE(env.searching, (QList<bool>{true, false}));

        // A search stopped deep down leaves nothing behind for the next one.
        env.pump.actionAt = env.pump.calls + 5000;
        env.pump.action = [&] { env.finder.Stop(); };
        env.finder.SearchClasses(QString(), QString(), parents);
        QCOMPARE(env.finder.Results().size(), 5000);
        QCOMPARE(int(env.finder.SearchClasses(QString(), QString(), parents)), outcome);
        QCOMPARE(env.finder.Results().size(), expectedRows);
    }

    void LookInDroppedWithItsNode_data()
    {
        QTest::addColumn<QString>("lookIn");
        QTest::addColumn<QString>("removed");   // "reset": the whole model; "during": its node, by a search
        QTest::addColumn<bool>("dropped");

        QTest::newRow("its node") << "Classes/Object/Actor" << "Classes/Object/Actor" << true;
        QTest::newRow("an ancestor") << "Classes/Object/Actor/Pawn" << "Classes/Object" << true;
        QTest::newRow("model reset") << "Classes/Object/Actor" << "reset" << true;
        QTest::newRow("its node, while a search walks below it") << "Classes/Object" << "during" << true;
        QTest::newRow("a sibling") << "Classes/Object/Actor" << "Classes/Object/Util" << false;
        QTest::newRow("same text, other tree") << "Classes/Object/Actor" << "Packages/Engine/Actor" << false;
    }

    void LookInDroppedWithItsNode()
    {
        QFETCH(QString, lookIn);
        QFETCH(QString, removed);
        QFETCH(bool, dropped);
        Env env;
        TreeNode *node = env.At(lookIn);
        env.finder.SetLookIn(node);
        const QStringList items = env.finder.SearchInItems();
        if (removed == QLatin1String("reset")) {
            env.model.ResetModel();
        } else if (removed == QLatin1String("during")) {
            // Commands ask Busy() first; one that does not must still not
            // make the walk step on removed nodes.
            env.pump.actionAt = 2;
            env.pump.action = [&] { env.model.Browser().Remove(node); };
            QCOMPARE(env.finder.SearchClasses(QString(), QString(), false), ClassFinder::Outcome::Done);
            QCOMPARE(env.Visited(), (QStringList{"Object", "Actor"}));
            QCOMPARE(env.statuses.last(), QString::fromLatin1(ClassFinder::DoneStatus));
        } else {
            TreeNode *going = env.At(removed);
            going->OwnerTree()->Remove(going);
        }
        QCOMPARE(env.choicesChanged, dropped ? 1 : 0);
        QCOMPARE(env.finder.LookIn(), dropped ? nullptr : node);
        QCOMPARE(env.finder.SearchInEnabled(), !dropped);
        QCOMPARE(env.finder.SearchInSelected(), dropped ? 0 : 1);
        QCOMPARE(env.finder.SearchInItems(), items);
        // Searching afterwards never reaches a removed node.
        QCOMPARE(env.finder.SearchClasses(QString(), QString(), false), ClassFinder::Outcome::Done);
    }

    void NodeForCell()
    {
        Env env;
        QCOMPARE(env.finder.NodeForCell(0, QStringLiteral("pawn")), env.At(QStringLiteral("Classes/Object/Actor/Pawn")));
        QCOMPARE(env.finder.NodeForCell(1, QStringLiteral("ENGINE")), env.At(QStringLiteral("Packages/Engine")));
        QVERIFY(!env.finder.NodeForCell(0, QStringLiteral("Classes")));   // the root's text
        QVERIFY(!env.finder.NodeForCell(1, QStringLiteral("? ? ?")));     // unknown package
        QVERIFY(!env.finder.NodeForCell(1, QStringLiteral("Pawn")));      // a class is no package
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestClassFinder)
#include "tst_ClassFinder.moc"
