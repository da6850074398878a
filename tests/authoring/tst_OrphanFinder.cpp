#include "authoring/OrphanFinder.h"
#include "platform/SpecPath.h"
#include "support/ScriptedPump.h"
#include "support/GameDir.h"
#include "support/ModelHarness.h"
#include "support/ScriptedPrompter.h"

#include <QDir>
#include <QLocale>
#include <QTest>

#include <cstdio>
#include <optional>

using namespace kelvarin;

namespace {

using test::ScriptedPump;

// Writes each relative path as a small file.
void WriteFiles(const test::GameDir &game, const QStringList &files)
{
    for (const QString &file : files)
        game.WriteBytes(file, QByteArray("x"));
}

} // namespace

class TestOrphanFinder : public QObject
{
    Q_OBJECT

    // Each test's own game directory, and a finder on a pump that does
    // nothing until a test gives it something to do.
    std::optional<test::GameDir> game;
    std::optional<ScriptedPump> pump;
    std::optional<OrphanFinder> finder;

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void init()
    {
        SpecPath::ForgetListings();
        finder.reset();
        game.emplace();
        pump.emplace();
        finder.emplace(*pump);
    }

    void Rules_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("dirs");
        QTest::addColumn<QStringList>("orphans");
        const QStringList none;
        QTest::newRow("int with its u") << QStringList{"System/MyMod.int", "System/MyMod.u"} << none << none;
        QTest::newRow("int alone") << QStringList{"System/OldMod.int"} << none << QStringList{"OldMod.int"};
        QTest::newRow("texture package keeps int")
            << QStringList{"Textures/OldTex.utx", "System/OldTex.int"} << none << none;
        QTest::newRow("utx in System does not count")
            << QStringList{"System/OldTex.utx", "System/OldTex.int"} << none << QStringList{"OldTex.int"};
        QTest::newRow("dll alone") << QStringList{"System/MyLib.dll"} << none << QStringList{"MyLib.dll"};
        QTest::newRow("dll is not kept by a texture package")
            << QStringList{"System/MyLib.dll", "Textures/MyLib.utx", "Sounds/MyLib.uax"} << none
            << QStringList{"MyLib.dll"};
        // The game's own files are never listed, as .int or as .dll, whatever
        // their letter case on disk; a package named otherwise is.
        QTest::newRow("game files")
            << QStringList{"System/window.int", "System/WINDOW.DLL", "System/clcd32.int", "System/CLCD32.DLL",
                           "System/d3ddrv.int", "System/D3DDRV.DLL", "System/msvcrt.int", "System/MSVCRT.DLL",
                           "System/render.int", "System/Render.dll", "System/unrealtournament.int",
                           "System/UNREALTOURNAMENT.DLL", "System/engine.int", "System/ENGINE.DLL", "System/Render .int"}
            << none << QStringList{"ENGINE.DLL", "engine.int", "Render .int"};
        QTest::newRow("game name as a prefix is no game file")
            << QStringList{"System/RenderX.int", "System/XWindow.dll"} << none
            << QStringList{"RenderX.int", "XWindow.dll"};
        QTest::newRow("letter case of the directories")
            << QStringList{"system/OldMod.int", "system/oldmod.u", "textures/Tex.UTX", "system/tex.int",
                           "SOUNDS/snd.uax", "system/SND.int", "system/Gone.int"}
            << none << QStringList{"Gone.int"};
        QTest::newRow("u that is a directory") << QStringList{"System/Foo.int"} << QStringList{"System/Foo.u"}
                                               << QStringList{"Foo.int"};
        QTest::newRow("int and dll that are directories")
            << none << QStringList{"System/Dir.int", "System/Dir.dll"} << none;
        QTest::newRow("only the u counts, not uc or prefixes")
            << QStringList{"System/Foo.int", "System/Foo.uc", "System/FooBar.u", "System/Fo.u"} << none
            << QStringList{"Foo.int"};
        QTest::newRow("other extensions are not listed")
            << QStringList{"System/Foo.int.bak", "System/Foo.ini", "System/Foo.dll2"} << none << none;
        QTest::newRow("x.int.int is kept by x.int.u")
            << QStringList{"System/x.int.int", "System/x.int.u"} << none << none;
        QTest::newRow("x.int.int is not kept by x.u")
            << QStringList{"System/x.int.int", "System/x.u"} << none << QStringList{"x.int.int"};
        QTest::newRow("sorted without regard to case, dlls among ints")
            << QStringList{"System/c.int", "System/B.dll", "System/a.int", "System/D.INT"} << none
            << QStringList{"a.int", "B.dll", "c.int", "D.INT"};
        QTest::newRow("no System directory") << QStringList{"Textures/Foo.utx"} << none << none;
        QTest::newRow("letters outside ASCII")
            << QStringList{"System/Éclair.int", "System/éclair.u", "System/Ärger.int"} << none
            << QStringList{"Ärger.int"};
    }

    void Rules()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, dirs);
        QFETCH(QStringList, orphans);
        WriteFiles(*game, files);
        for (const QString &dir : dirs)
            game->MakeDir(dir);
        QCOMPARE(finder->Search(game->Base()), OrphanFinder::Outcome::Done);
        QCOMPARE(finder->OrphanNames(), orphans);
        for (const OrphanFinder::Orphan &orphan : finder->Orphans())
            QVERIFY(orphan.checked);
    }

    // Callers other than the search may pass a name in any case.
    void GameFileInAnyCase() { QVERIFY(OrphanFinder::IsGameFile(QStringLiteral("unrealTournament"))); }

    // Stopping at the n-th pump: three .int files give two pumps while
    // listing them, then one before each orphan.
    void StopAtEveryStep_data()
    {
        QTest::addColumn<int>("stopAt");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("found");
        QTest::newRow("listing, second name") << 1 << int(OrphanFinder::Outcome::ListingCut) << 1;
        QTest::newRow("before the first orphan") << 3 << int(OrphanFinder::Outcome::Stopped) << 0;
        QTest::newRow("before the third") << 5 << int(OrphanFinder::Outcome::Stopped) << 2;
    }

    void StopAtEveryStep()
    {
        QFETCH(int, stopAt);
        QFETCH(int, outcome);
        QFETCH(int, found);
        WriteFiles(*game, {"System/A.int", "System/B.int", "System/C.int"});
        // A first, whole search: a listing cut short leaves its list alone.
        game->WriteBytes(QStringLiteral("System/Earlier.dll"), "x");
        QCOMPARE(finder->Search(game->Base()), OrphanFinder::Outcome::Done);
        QFile::remove(game->Native(QStringLiteral("System/Earlier.dll")));
        SpecPath::ForgetListings();
        pump->calls = 0;
        pump->actionAt = stopAt;
        pump->action = [this] { finder->Stop(); };
        QCOMPARE(int(finder->Search(game->Base())), outcome);
        QVERIFY(!finder->Searching());
        if (outcome == int(OrphanFinder::Outcome::ListingCut)) {
            QCOMPARE(finder->OrphanNames(), (QStringList{"A.int", "B.int", "C.int", "Earlier.dll"}));
        } else {
            QCOMPARE(finder->Orphans().size(), found);
            QVERIFY(!finder->OrphanNames().contains(QStringLiteral("Earlier.dll")));
        }
        // The next search starts afresh.
        pump->action = nullptr;
        QCOMPARE(finder->Search(game->Base()), OrphanFinder::Outcome::Done);
        QCOMPARE(finder->Orphans().size(), 3);
    }

    // While the search runs, the model it was given is busy with it (a
    // compile meanwhile would move a package aside); after it, it is not.
    void SearchHoldsTheModelBusy()
    {
        test::ModelHarness h;
        WriteFiles(h.game, {"System/Mod.int", "System/Mod.u", "System/Gone.int"});
        h.statuses.clear();
        bool busyMeanwhile = false;
        pump->actionAt = 1;
        pump->action = [&] { busyMeanwhile = h.model.RefuseWhileBusy(); };
        QCOMPARE(finder->Search(h.game.Base(), &h.model), OrphanFinder::Outcome::Done);
        QVERIFY(busyMeanwhile);
        QCOMPARE(h.statuses.size(), 1);
        QVERIFY(h.statuses.first().contains(QStringLiteral("searching for orphan files")));
        QVERIFY(!h.model.Busy());
        QCOMPARE(finder->OrphanNames(), QStringList{"Gone.int"});
    }

    void TerminatingStops()
    {
        WriteFiles(*game, {"System/A.int", "System/B.int"});
        pump->SetTerminating();
        QCOMPARE(finder->Search(game->Base()), OrphanFinder::Outcome::ListingCut);
        QVERIFY(finder->Orphans().isEmpty());
    }

    // Deleting asks first; then only the checked files go, from the System
    // directory, by their exact name: a name that is no UTF-8 by its bytes,
    // a symbolic link by itself (dangling or not; never its target). A file
    // that cannot be deleted is named in one message at the end, one removed
    // by someone else meanwhile is gone as asked.
    void Deletion_data()
    {
        QTest::addColumn<QList<QByteArray>>("files");   // "name>target": a link
        QTest::addColumn<QStringList>("unchecked");
        QTest::addColumn<QStringList>("blocked");   // made directories after the search
        QTest::addColumn<QStringList>("removed");   // removed after the search
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("failed");
        QTest::addColumn<QStringList>("left");      // in System afterwards
        const QStringList none;
        QTest::newRow("checked ones only, from System")
            << QList<QByteArray>{"System/A.int", "System/B.int", "System/C.dll", "System/Keep.int", "System/Keep.u",
                                 "System/Render.dll", "Textures/A.int"}
            << QStringList{"B.int"} << none << none << true << none
            << QStringList{"B.int", "Keep.int", "Keep.u", "Render.dll"};
        QTest::newRow("failures reported, the others go")
            << QList<QByteArray>{"System/Bad.int", "System/Good.int", "System/Worse.dll"} << none
            << QStringList{"System/Bad.int", "System/Worse.dll"} << none << true
            << QStringList{"System/Bad.int", "System/Worse.dll"} << QStringList{"Bad.int", "Worse.dll"};
        QTest::newRow("gone meanwhile") << QList<QByteArray>{"System/Gone.int"} << none << none
                                        << QStringList{"System/Gone.int"} << true << none << none;
        QTest::newRow("names differing in case are two files") << QList<QByteArray>{"System/Twin.int", "System/TWIN.int"}
            << QStringList{"TWIN.int"} << none << none << true << none << QStringList{"TWIN.int"};
        QTest::newRow("answered No") << QList<QByteArray>{"System/A.int", "System/B.dll", "System/Keep.u"} << none << none
                                     << none << false << none << QStringList{"A.int", "B.dll", "Keep.u"};
        QTest::newRow("nothing to confirm") << QList<QByteArray>{"System/Keep.u"} << none << none << none << true << none
                                            << QStringList{"Keep.u"};
#ifndef Q_OS_WIN
        QTest::newRow("name that is no UTF-8") << QList<QByteArray>{"System/\xffOld.int"} << none << none << none
                                               << true << none << none;
#endif
        QTest::newRow("dangling link") << QList<QByteArray>{"System/Dangling.int>../Missing.txt"} << none << none
                                       << none << true << none << none;
        QTest::newRow("link to a file") << QList<QByteArray>{"Target.txt", "System/Linked.dll>../Target.txt"} << none
                                        << none << none << true << none << none;
    }

    void Deletion()
    {
        QFETCH(QList<QByteArray>, files);
        QFETCH(QStringList, unchecked);
        QFETCH(QStringList, blocked);
        QFETCH(QStringList, removed);
        QFETCH(bool, yes);
        QFETCH(QStringList, failed);
        game->MakeDir(QStringLiteral("System"));
        game->MakeDir(QStringLiteral("Textures"));
        for (const QByteArray &name : files) {
            const QList<QByteArray> parts = name.split('>');
            const QByteArray path = QFile::encodeName(game->Base()) + '/' + parts[0];
            if (parts.size() == 1) {
                FILE *file = std::fopen(path.constData(), "wb");
                QVERIFY(file);
                std::fclose(file);
            } else {
                QVERIFY(QFile::link(QFile::decodeName(parts[1]), QFile::decodeName(path)));
            }
        }
        finder->Search(game->Base());
        for (const QString &name : unchecked)
            finder->SetChecked(finder->OrphanNames().indexOf(name), false);
        finder->SetChecked(99, false);   // no such row: ignored
        const int checked = finder->CheckedCount();
        QCOMPARE(checked, finder->Orphans().size() - unchecked.size());
        // A directory in a file's place, with something in it so that nothing
        // can remove it as a file or as an empty directory (root included).
        for (const QString &file : blocked) {
            QFile::remove(game->Native(file));
            game->WriteBytes(file + QLatin1String("/keep"), QByteArray("x"));
        }
        for (const QString &file : removed)
            QFile::remove(game->Native(file));
        SpecPath::ForgetListings();
        test::ScriptedPrompter prompter;
        prompter.answers = {yes ? MessageAnswer::Yes : MessageAnswer::No};
        QCOMPARE(finder->ConfirmAndDeleteOrphans(prompter), yes && failed.isEmpty());
        QStringList messages;
        if (checked)
            messages.append(QStringLiteral("Delete these %1 files?").arg(checked));
        QStringList failedPaths;
        for (const QString &file : failed)
            failedPaths.append(QDir::toNativeSeparators(game->Native(file)));
        if (!failed.isEmpty())
            messages.append("These files could not be deleted:\n" + failedPaths.join('\n'));
        QCOMPARE(prompter.Texts(), messages);
        if (checked)
            QCOMPARE(prompter.shown.at(0).buttons, MessageButtons::YesNo);
        if (!failed.isEmpty()) {
            QCOMPARE(prompter.shown.at(1).icon, MessageIcon::Error);
            QCOMPARE(prompter.shown.at(1).title, QStringLiteral("Kelvarin"));
        }
        if (yes)
            QVERIFY(finder->Orphans().isEmpty());
        QStringList inSystem = QDir(game->Native(QStringLiteral("System")))
                                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        inSystem.sort(Qt::CaseInsensitive);
        QTEST(inSystem, "left");
        // Nothing outside System goes, nor the target of a link.
        for (const QByteArray &name : files)
            if (!name.startsWith("System/"))
                QVERIFY2(game->Exists(QString::fromUtf8(name)), name.constData());
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestOrphanFinder)
#include "tst_OrphanFinder.moc"
