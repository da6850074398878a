#include "persist/StateFile.h"

#include "model/PackageLoader.h"
#include "model/PackageRemover.h"
#include "support/ModelHarness.h"
#include "support/Raised.h"

#include <QDir>
#include <QLocale>
#include <QtTest>

#include <filesystem>

using namespace kelvarin;
using test::BuildTree;
using test::DumpTree;
using test::ModelHarness;
using test::Raised;

namespace {

// Core: Object. Engine: Actor, Info. MyMod: MyActor. Core and Engine loaded.
void LoadGame(ModelHarness &h)
{
    for (const QString file : {"Core/Object.uc:class Object;", "Engine/Actor.uc:class Actor expands Object;",
                               "Engine/Info.uc:class Info expands Actor;", "MyMod/MyActor.uc:class MyActor expands Actor;"})
        h.game.WriteClass(file.section('/', 0, 0), file.section('/', 1).section(':', 0, 0), file.section(':', 1));
    h.game.WriteText(QStringLiteral("System/Engine.int"), QStringLiteral("x"));
    h.game.WriteText(QStringLiteral("System/UnrealTournament.ini"),
                     QStringLiteral("[Editor.EditorEngine]\r\nEditPackages=Core\r\nEditPackages=Engine\r\n"));
    PackageLoader(h.model).ReadDefaultPackages();
}

// The trees, the ticked packages and (unless left out) the bindings.
QStringList Snapshot(ModelHarness &h, bool withBindings = true)
{
    return DumpTree(h.model.Browser()) + DumpTree(h.model.PackagesBrowser()) + QStringList{"ticked:"}
        + h.PackageItems(true) + QStringList{"bindings:"}
        + (withBindings ? h.model.Bindings().Entries() : QStringList());
}

// The four files of a state; by default one package whose Object has the
// given number of subclasses.
struct StateTexts
{
    QByteArray packages = "Core\r\n";
    QByteArray classTree = "Classes\r\n\tObject\r\n";
    QByteArray packageTree = "Packages\r\n\tCore\r\n";
    QByteArray bindings;
};

StateTexts ManyClasses(int count)
{
    StateTexts texts;
    for (int i = 0; i < count; ++i) {
        const QByteArray name = "C" + QByteArray::number(i).rightJustified(5, '0');
        texts.classTree += "\t\t" + name + "\r\n";
        texts.packageTree += "\t\t" + name + "\r\n";
        texts.bindings += "Core&" + name + "\r\n";
    }
    texts.packageTree += "\t\tObject\r\n";
    texts.bindings += "Core&Object\r\n";
    return texts;
}

// Writes S.Kelvar and its companions; the path to load.
QString WriteState(ModelHarness &h, const StateTexts &texts)
{
    h.game.WriteBytes(QStringLiteral("S.Kelvar"), texts.packages);
    h.game.WriteBytes(QStringLiteral("S.UTree"), texts.classTree);
    h.game.WriteBytes(QStringLiteral("S.UPack"), texts.packageTree);
    h.game.WriteBytes(QStringLiteral("S.UBind"), texts.bindings);
    return h.game.Base() + QLatin1String("/S.Kelvar");
}

} // namespace

class TestStateFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void baseName_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("base");
        QTest::newRow("lower case") << "MyMod.kelvar" << "MyMod";
        QTest::newRow("designed case") << "C:\\States\\MyMod.Kelvar" << "C:\\States\\MyMod";
        QTest::newRow("first occurrence in a folder") << "x/a.kelvar.d/x.Kelvar" << "x/a";
        QTest::newRow("inside a name") << "a.KELVARstate" << "a";
        QTest::newRow("none") << "MyMod.txt" << "";
        QTest::newRow("nothing before") << ".Kelvar" << "";
    }

    void baseName()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, base);
        QCOMPARE(StateFile::BaseName(fileName), base);
    }

    void saveWritesFourFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("written");
        QTest::newRow("lower-case extension") << "MyMod.kelvar"
            << QStringList{"MyMod.UBind", "MyMod.UPack", "MyMod.UTree", "MyMod.kelvar"};
        QTest::newRow("no .Kelvar") << "MyMod.txt" << QStringList();
    }

    void saveWritesFourFiles()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, written);
        ModelHarness h;
        LoadGame(h);
        h.game.MakeDir(QStringLiteral("States"));
        const QString path = h.game.Base() + QLatin1String("\\States\\") + name;
        QCOMPARE(StateFile(h.model).SaveState(path), !written.isEmpty());
        QCOMPARE(QDir(h.game.Native(QStringLiteral("States"))).entryList(QDir::Files | QDir::Hidden, QDir::Name), written);
        if (written.isEmpty())
            return;
        QCOMPARE(h.game.Read(QStringLiteral("States/MyMod.kelvar")), QByteArray("Core\r\nEngine\r\n"));
        QCOMPARE(h.game.Read(QStringLiteral("States/MyMod.UTree")),
                 QByteArray("Classes\r\n\tObject\r\n\t\tActor\r\n\t\t\tInfo\r\n"));
        QCOMPARE(h.game.Read(QStringLiteral("States/MyMod.UPack")),
                 QByteArray("Packages\r\n\tCore\r\n\t\tObject\r\n\tEngine\r\n\t\tActor\r\n\t\tInfo\r\n\t\tEngine.int\r\n"));
        QCOMPARE(h.game.Read(QStringLiteral("States/MyMod.UBind")),
                 QByteArray("Core&Object\r\nEngine&Actor\r\nEngine&Info\r\n"));
        QCOMPARE(h.statuses.last(), QStringLiteral("Done"));
    }

    // A save puts no file of the set in place before all four are written:
    // one that cannot be written leaves the old set as it was, and no
    // temporary file behind.
    void failedSaveKeepsTheOldSet_data()
    {
        QTest::addColumn<QString>("blocked");   // made a directory
        QTest::newRow("class tree") << "S.UTree";
        QTest::newRow("package tree") << "S.UPack";
        QTest::newRow("bindings") << "S.UBind";
        QTest::newRow("state file") << "S.Kelvar";
    }

    void failedSaveKeepsTheOldSet()
    {
        QFETCH(QString, blocked);
        ModelHarness h;
        LoadGame(h);
        h.game.MakeDir(QStringLiteral("States"));
        const QString path = h.game.Base() + QLatin1String("\\States\\S.Kelvar");
        QVERIFY(StateFile(h.model).SaveState(path));
        QDir states(h.game.Native(QStringLiteral("States")));
        QVERIFY(states.remove(blocked) && states.mkdir(blocked));
        QMap<QString, QByteArray> before;
        for (const QString &name : states.entryList(QDir::Files | QDir::Hidden))
            before.insert(name, h.game.Read(QStringLiteral("States/") + name));

        QVERIFY(PackageLoader(h.model).LoadPackage(QStringLiteral("MyMod"), false));
        h.model.Packages().SetMark(h.model.Packages().IndexOf(QStringLiteral("MyMod")), PackageList::Mark::Checked);
        QCOMPARE(Raised([&] { StateFile(h.model).SaveState(path); }),
                 QStringLiteral("Cannot create file ") + QDir::toNativeSeparators(states.filePath(blocked)));
        QCOMPARE(states.entryList(QDir::Files | QDir::Hidden), before.keys());
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QCOMPARE(h.game.Read(QStringLiteral("States/") + it.key()), it.value());
    }

    // Saving again leaves a file that already holds its bytes as it is (the
    // same file, not a copy renamed over it) and replaces the others.
    void saveAgainReplacesOnlyWhatChanged_data()
    {
        QTest::addColumn<bool>("loadMyMod");   // unticked: the trees and bindings change
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("nothing changed") << false << QStringList{"S.Kelvar", "S.UBind", "S.UPack", "S.UTree"};
        QTest::newRow("a package loaded") << true << QStringList{"S.Kelvar"};
    }

    void saveAgainReplacesOnlyWhatChanged()
    {
        QFETCH(bool, loadMyMod);
        QFETCH(QStringList, kept);
        ModelHarness h;
        LoadGame(h);
        const QString path = h.game.Base() + QLatin1String("\\S.Kelvar");
        QVERIFY(StateFile(h.model).SaveState(path));
        const QDir dir(h.game.Base());
        const QStringList names{"S.Kelvar", "S.UBind", "S.UPack", "S.UTree"};
        for (const QString &name : names)
            std::filesystem::create_hard_link(dir.filePath(name).toStdString(),
                                              dir.filePath(name + ".before").toStdString());
        if (loadMyMod)
            QVERIFY(PackageLoader(h.model).LoadPackage(QStringLiteral("MyMod"), false));
        QVERIFY(StateFile(h.model).SaveState(path));

        QStringList same;
        for (const QString &name : names)
            if (std::filesystem::equivalent(dir.filePath(name).toStdString(),
                                            dir.filePath(name + ".before").toStdString()))
                same.append(name);
        QCOMPARE(same, kept);
        // What stands there is what a save into an empty directory writes.
        h.game.MakeDir(QStringLiteral("Fresh"));
        QVERIFY(StateFile(h.model).SaveState(h.game.Base() + QLatin1String("\\Fresh\\S.Kelvar")));
        for (const QString &name : names)
            QCOMPARE(h.game.Read(name), h.game.Read(QStringLiteral("Fresh/") + name));
        QCOMPARE(dir.entryList(QDir::Files | QDir::Hidden).size(), 2 * names.size());
    }

    void roundTrip()
    {
        ModelHarness h;
        LoadGame(h);
        const QStringList saved = Snapshot(h);
        const QString path = h.game.Base() + QLatin1String("\\Saved.Kelvar");
        QVERIFY(StateFile(h.model).SaveState(path));

        // Something else is loaded in between, and a class waits for a parent.
        h.game.WriteClass(QStringLiteral("Waiting"), QStringLiteral("W.uc"), QStringLiteral("class W expands Nowhere;"));
        QVERIFY(PackageLoader(h.model).LoadPackage(QStringLiteral("MyMod"), false));
        QVERIFY(PackageLoader(h.model).LoadPackage(QStringLiteral("Waiting"), false));
        QVERIFY(!h.model.Files().IsEmpty());

        QVERIFY(StateFile(h.model).LoadState(path));
        QCOMPARE(Snapshot(h), saved);
        QCOMPARE(h.PackageItems(), (QStringList{"Core", "Engine", "MyMod", "Waiting"}));
        QVERIFY(h.model.Files().IsEmpty());
        QCOMPARE(h.statuses.last(), QStringLiteral("Done"));
        // The loaded model works as a loaded one.
        QVERIFY(PackageLoader(h.model).LoadPackage(QStringLiteral("MyMod"), false));
        QCOMPARE(h.model.FindNode(h.model.Browser(), QStringLiteral("MyActor"))->Parent()->Text(), QStringLiteral("Actor"));
    }

    // Names that Latin-1 cannot give back come back as they were saved.
    void namesLatin1CannotHold_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("outside Latin-1") << QStringLiteral("Mod\u20AC");
        QTest::newRow("reads as a UTF-16 mark") << QStringLiteral("\u00FF\u00FEMod");
        QTest::newRow("reads as a UTF-8 mark") << QStringLiteral("\u00EF\u00BB\u00BFMod");
        // A UTF-16 state can hold code units that are no characters.
        QTest::newRow("lone surrogate") << QStringLiteral("Mod") + QChar(char16_t(0xD8D8)) + QStringLiteral("X");
        // A reader drops a U+FEFF right after a UTF-8 mark.
        QTest::newRow("U+FEFF first") << QString(QChar(char16_t(0xFEFF))) + QStringLiteral("Mod");
    }

    void namesLatin1CannotHold()
    {
        QFETCH(QString, name);
        ModelHarness h;
        h.model.ResetModel();   // trees of no package: the state holds together
        h.model.Packages().Clear();
        h.model.Packages().Add(name, PackageList::Mark::Checked);
        const QString path = h.game.Base() + QLatin1String("/S.Kelvar");
        QVERIFY(StateFile(h.model).SaveState(path));
        QVERIFY(StateFile(h.model).LoadState(path));
        QCOMPARE(h.PackageItems(true), QStringList{name});
    }

    void handWrittenState()
    {
        ModelHarness h;
        LoadGame(h);
        // Names are trimmed and ticked whatever their case; an unknown one
        // joins the list. An empty binding line is kept and hides nothing.
        QVERIFY(StateFile(h.model).LoadState(WriteState(h, {"core\r\n  ghost  \r\n\r\nENGINE\r\n",
                                                            "Classes\n\tObject\n\t\tActor\n",
                                                            "Packages\n\tCore\n\t\tObject\n\tEngine\n\t\tActor\n",
                                                            "Core&Object\r\n\r\nEngine&Actor\r\n"})));
        QCOMPARE(h.PackageItems(), (QStringList{"Core", "Engine", "ghost", "MyMod"}));
        QCOMPARE(h.PackageItems(true), (QStringList{"Core", "Engine", "ghost"}));
        QCOMPARE(h.model.Bindings().Count(), 3);
        QCOMPARE(h.model.FindPackage(QStringLiteral("Object")), QStringLiteral("Core"));
        QCOMPARE(h.model.FindPackage(QStringLiteral("actor")), QStringLiteral("Engine"));
        QVERIFY(PackageRemover(h.model).UnloadPackage(QStringLiteral("Engine")));
        QCOMPARE(DumpTree(h.model.Browser()), (QStringList{"Classes", "-Object"}));
    }

    // The node at position 2 in pre-order, else at 1; in the package tree at 1.
    void selectionAfterLoading_data()
    {
        QTest::addColumn<QByteArray>("classTree");
        QTest::addColumn<QString>("selectedClass");
        QTest::addColumn<QByteArray>("packageTree");
        QTest::addColumn<QString>("selectedPackage");
        QTest::newRow("first class has a subclass") << QByteArray("Classes\n\tObject\n\t\tActor\n\tAardvark\n") << "Actor"
                                                    << QByteArray("Packages\n\tCore\n\t\tObject\n") << "Core";
        QTest::newRow("first class has none") << QByteArray("Classes\n\tZed\n\tAlpha\n") << "Alpha"
                                              << QByteArray("Packages\n") << "";
        QTest::newRow("one class") << QByteArray("Classes\n\tObject\n") << "Object" << QByteArray("") << "";
        QTest::newRow("root alone") << QByteArray("Classes\n") << "" << QByteArray("Packages\n\tCore\n") << "Core";
    }

    void selectionAfterLoading()
    {
        QFETCH(QByteArray, classTree);
        QFETCH(QString, selectedClass);
        QFETCH(QByteArray, packageTree);
        QFETCH(QString, selectedPackage);
        ModelHarness h;
        QVERIFY(StateFile(h.model).LoadState(WriteState(h, {.classTree = classTree, .packageTree = packageTree})));
        const TreeNode *classNode = h.model.Browser().Selected();
        const TreeNode *packageNode = h.model.PackagesBrowser().Selected();
        QCOMPARE(classNode ? classNode->Text() : QString(), selectedClass);
        QCOMPARE(packageNode ? packageNode->Text() : QString(), selectedPackage);
    }

    // A state that cannot be loaded leaves the model as it was: one that is
    // not there or not a state is passed over quietly; a missing companion,
    // or companions of another save (a save cut short between its renames
    // leaves the older state file beside newer ones), are found out before
    // the model changes.
    void stateThatCannotLoadLeavesTheModel_data()
    {
        QTest::addColumn<QString>("state");      // the file loaded
        QTest::addColumn<QString>("file");       // a file of the saved S.Kelvar set changed
        QTest::addColumn<QByteArray>("bytes");   // null: the file is removed
        QTest::addColumn<QString>("told");       // "": nothing; "open": it cannot be opened; "together"
        QTest::newRow("missing") << "Missing.Kelvar" << "" << QByteArray() << "";
        QTest::newRow("the window closing") << "S.Kelvar" << "closing" << QByteArray() << "";
        QTest::newRow("a directory") << "Dir.Kelvar" << "" << QByteArray() << "";
        QTest::newRow("no .Kelvar") << "S.txt" << "" << QByteArray() << "";
        QTest::newRow("bindings missing") << "S.Kelvar" << "S.UBind" << QByteArray() << "open";
        QTest::newRow("state file of an earlier save") << "S.Kelvar" << "S.Kelvar" << QByteArray("Core\r\n") << "together";
        QTest::newRow("bindings of a later save") << "S.Kelvar" << "S.UBind"
            << QByteArray("Core&Object\r\nEngine&Actor\r\nEngine&Info\r\nMyMod&MyActor\r\n") << "together";
        QTest::newRow("package tree of a later save") << "S.Kelvar" << "S.UPack"
            << QByteArray("Packages\r\n\tcore\r\n\t\tObject\r\n\tMyMod\r\n\t\tMyActor\r\n") << "together";
        // The first node is top-level whatever its indentation, so MyMod is a
        // package here although no line has exactly one tab.
        QTest::newRow("package tree indented from its first line") << "S.Kelvar" << "S.UPack"
            << QByteArray("  Packages\r\n\t\t\tMyMod\r\n\t\t\t\tMyActor\r\n") << "together";
    }

    void stateThatCannotLoadLeavesTheModel()
    {
        QFETCH(QString, state);
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, told);
        ModelHarness h;
        LoadGame(h);
        QVERIFY(StateFile(h.model).SaveState(h.game.Base() + QLatin1String("/S.Kelvar")));
        h.game.MakeDir(QStringLiteral("Dir.Kelvar"));
        h.game.WriteBytes(QStringLiteral("S.txt"), "Core\r\n");
        if (file == QLatin1String("closing"))
            h.pump.SetTerminating();
        else if (!file.isEmpty() && bytes.isNull())
            QVERIFY(QFile::remove(h.game.Native(file)));
        else if (!file.isEmpty())
            h.game.WriteBytes(file, bytes);
        PackageLoader(h.model).LoadPackage(QStringLiteral("MyMod"), false);
        const QStringList before = Snapshot(h);
        h.statuses.clear();

        const QString path = h.game.Base() + QLatin1Char('/') + state;
        bool loaded = false;
        const QString message = Raised([&] { loaded = StateFile(h.model).LoadState(path); });
        QVERIFY(!loaded);
        if (told == QLatin1String("open"))
            QCOMPARE(message, QStringLiteral("Cannot open file ") + QDir::toNativeSeparators(h.game.Native(file)));
        else if (told == QLatin1String("together"))
            QCOMPARE(message, QString::fromLatin1(StateFile::NotTogetherMessage).arg(QDir::toNativeSeparators(path)));
        else
            QVERIFY(message.isEmpty() && h.statuses.isEmpty());
        QCOMPARE(Snapshot(h), before);
    }

    // Small and large states (a large one is read on helper threads) load the
    // same way: saved again, every file comes back byte for byte. An invalid
    // tree is taken as far as it was read; a tree after it and the bindings
    // are not taken at all.
    void smallAndLargeStates_data()
    {
        QTest::addColumn<int>("classes");
        QTest::addColumn<QString>("invalid");   // the tree with a line too deep, if any
        QTest::newRow("small") << 3 << "";
        QTest::newRow("large") << 5000 << "";
        QTest::newRow("small class tree") << 3 << "class tree";
        QTest::newRow("small package tree") << 3 << "package tree";
        QTest::newRow("large class tree") << 5000 << "class tree";
        QTest::newRow("large package tree") << 5000 << "package tree";
    }

    void smallAndLargeStates()
    {
        QFETCH(int, classes);
        QFETCH(QString, invalid);
        ModelHarness h;
        StateTexts texts = ManyClasses(classes);
        if (!invalid.isEmpty())
            (invalid == QLatin1String("class tree") ? texts.classTree : texts.packageTree) += "\t\t\t\tDeep\r\n\t\tAfter\r\n";
        const QString path = WriteState(h, texts);
        bool loaded = false;
        const QString message = Raised([&] { loaded = StateFile(h.model).LoadState(path); });
        QCOMPARE(h.model.Browser().Count(), classes + 2);
        if (!invalid.isEmpty()) {
            QCOMPARE(message, QStringLiteral("Invalid level (4) for item \"Deep\""));
            QCOMPARE(h.model.PackagesBrowser().Count(), invalid == QLatin1String("class tree") ? 1 : classes + 3);
            QCOMPARE(h.model.Bindings().Count(), 0);
            QCOMPARE(h.PackageItems(true), QStringList{"Core"});
            return;
        }
        QVERIFY(loaded);
        QCOMPARE(h.model.FindPackage(QStringLiteral("c00002")), QStringLiteral("Core"));
        QVERIFY(StateFile(h.model).SaveState(h.game.Base() + QLatin1String("/Again.Kelvar")));
        QCOMPARE(h.game.Read(QStringLiteral("Again.UTree")), texts.classTree);
        QCOMPARE(h.game.Read(QStringLiteral("Again.UPack")), texts.packageTree);
        QCOMPARE(h.game.Read(QStringLiteral("Again.UBind")), texts.bindings);
        QCOMPARE(h.game.Read(QStringLiteral("Again.Kelvar")), QByteArray("Core\r\n"));
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestStateFile)
#include "tst_statefile.moc"
