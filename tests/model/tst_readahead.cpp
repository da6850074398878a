// Reading the default packages reads the sources of the next packages on
// worker threads while the current one is resolved. Whatever the number of
// workers, the model must come out as reading each package in turn makes it.

#include "model/PackageLoader.h"
#include "model/SourceReadAhead.h"
#include "support/Raised.h"
#include "support/ScriptedPump.h"
#include "support/ModelHarness.h"

#include <QLocale>
#include <QtTest>

#include <sys/stat.h>

#include <atomic>
#include <mutex>
#include <thread>

using namespace kelvarin;
using kelvarin::test::DumpTree;
using kelvarin::test::ModelHarness;

namespace {

// A game of several packages: classes whose parents are in later packages or
// nowhere, the same class name in two packages, sources in UTF-16 and
// Latin-1, and names that are not sources (a directory, a pipe, a dangling
// link, an upper-case extension).
void WriteGame(const ModelHarness &h, const QString &editPackages)
{
    h.game.WriteText("System/UnrealTournament.ini", "[Engine.Engine]\r\nx=1\r\n[Editor.EditorEngine]\r\n"
                                                     + editPackages + "[Other]\r\nEditPackages=Never\r\n");
    h.game.CopyData("readahead-game", QString());
    h.game.MakeDir("ModB/Classes/Folder.uc");
    QVERIFY(mkfifo(QFile::encodeName(h.game.Native("ModB/Classes/Pipe.uc")).constData(), 0600) == 0);
    QVERIFY(QFile::link(h.game.Native("ModB/Classes/Nowhere"), h.game.Native("ModB/Classes/Dangling.uc")));
    for (int i = 0; i < 80; ++i)
        h.game.WriteClass("Big", QStringLiteral("Many%1.uc").arg(i),
                          QStringLiteral("class Many%1 expands %2;").arg(i).arg(i % 3 ? "Bot" : "Actor"));
    for (int p = 1; p <= 4; ++p)
        for (int i = 0; i < 3; ++i)
            h.game.WriteClass(QStringLiteral("Fill%1").arg(p), QStringLiteral("Fill%1x%2.uc").arg(p).arg(i),
                              QStringLiteral("class Fill%1x%2 expands Actor;").arg(p).arg(i));
}

QStringList Snapshot(ModelHarness &h)
{
    QStringList statuses;
    for (const QString &status : h.statuses)
        statuses.append(status.startsWith("Load time: ") ? status.section("  ", 1) : status);
    QStringList marks;
    for (int row = 0; row < h.model.Packages().Count(); ++row)
        marks.append(h.model.Packages().Text(row) + ':' + QString::number(int(h.model.Packages().MarkAt(row))));
    return QStringList{DumpTree(h.model.Browser()).join('|'), DumpTree(h.model.PackagesBrowser()).join('|'),
                       h.model.Bindings().Entries().join('|'), h.model.Files().Entries().join('|'),
                       marks.join('|'), h.prompter.Texts().join('|'), statuses.join('|')};
}

} // namespace

class TestReadAhead : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void sameModelWithAnyNumberOfWorkers_data()
    {
        QTest::addColumn<QString>("editPackages");
        const QString core = "EditPackages=Core\r\n", engine = "EditPackages=Engine\r\n",
                      modA = "EditPackages=ModA\r\n", modB = "EditPackages=ModB\r\n", big = "EditPackages=Big\r\n",
                      fill = "EditPackages=Fill1\r\nEditPackages=Fill2\r\nEditPackages=Fill3\r\nEditPackages=Fill4\r\n";
        // With eight packages or more the workers start at once; with fewer,
        // once the packages read in turn held many sources (Big), or never.
        QTest::newRow("dependency order") << core + engine + fill + modA + modB + big;
        QTest::newRow("children first") << big + modB + modA + fill + engine + core;
        QTest::newRow("a package twice, another in lower case")
            << core + engine + fill + "EditPackages=moda\r\n" + modA + modB;
        QTest::newRow("workers start late, stop at a package without a directory")
            << core + big + engine + fill + "EditPackages=Missing\r\n" + modA;
        QTest::newRow("stops at a package without sources")
            << core + engine + fill + "EditPackages=OnlyUpper\r\n" + modA;
        QTest::newRow("one package") << core;
    }

    void sameModelWithAnyNumberOfWorkers()
    {
        QFETCH(QString, editPackages);
        QStringList expected;
        for (const int workers : {0, 1, 2, 4}) {
            ModelHarness h;
            WriteGame(h, editPackages);
            PackageLoader loader(h.model);
            loader.SetReadAheadThreads(workers);
            loader.ReadDefaultPackages();
            const QStringList got = Snapshot(h);
            if (workers == 0) {
                expected = got;
                QVERIFY(h.model.ClassCount() > 0);
            } else {
                QCOMPARE(got, expected);
            }
        }
    }

    // A read that fails on a worker thread must not end the program: the
    // loading thread meets the failure when it takes that package, and the
    // packages after it are read as usual.
    void failedReadReachesTheLoadingThread()
    {
        QStringList dirs;
        for (int i = 0; i < int(SourceReadAhead::kManyPackages); ++i)
            dirs.append(QStringLiteral("P%1\\Classes\\").arg(i));
        const std::thread::id loading = std::this_thread::get_id();
        std::mutex mutex;
        bool failedOnWorker = false;
        std::atomic<bool> failed{false};
        SourceReadAhead ahead(dirs, 2, [&](const QString &dir, EventPump *) {
            Scanner::StagedSources sources;
            if (dir.startsWith(QLatin1String("P1\\"))) {
                std::lock_guard lock(mutex);
                failedOnWorker = std::this_thread::get_id() != loading;
                failed = true;
                throw KelvarinError(QStringLiteral("Cannot open file P1"));
            }
            sources.lines.append(QStringLiteral("Object=A&") + dir.section(QLatin1Char('\\'), 0, 0));
            return sources;
        });
        // Taken only once a worker has met the failure.
        QTRY_VERIFY_WITH_TIMEOUT(failed, 30000);
        kelvarin::test::ScriptedPump pump;
        QCOMPARE(ahead.Take(dirs.at(0), pump)->lines, QStringList{"Object=A&P0"});
        QCOMPARE(kelvarin::test::Raised([&] { ahead.Take(dirs.at(1), pump); }), QStringLiteral("Cannot open file P1"));
        {
            std::lock_guard lock(mutex);
            QVERIFY(failedOnWorker);
        }
        QCOMPARE(ahead.Take(dirs.at(2), pump)->lines, QStringList{"Object=A&P2"});
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestReadAhead)
#include "tst_readahead.moc"
