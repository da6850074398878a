#include "session/FileOpenQueue.h"

#include "support/ModelHarness.h"

#include <QDir>
#include <QTest>

#include <memory>

using namespace kelvarin;

class TestFileOpenQueue : public QObject
{
    Q_OBJECT

private slots:
    void OpenWaiting_data()
    {
        QTest::addColumn<QStringList>("files");     // relative to the game directory
        QTest::addColumn<QString>("state");         // "started", "starting", "busy", "ending"
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QStringList>("opened");
        QTest::addColumn<QStringList>("said");      // status texts, game directory as "$"
        QTest::addColumn<bool>("emptyAfter");
        const int done = int(FileOpenQueue::Outcome::Done);
        QTest::newRow("in the order given") << QStringList{"b.Kelvar", "Pawn.uc", "a.KELVAR"} << "started" << done
            << QStringList{"state b.Kelvar", "class Pawn", "state a.KELVAR"} << QStringList{} << true;
        QTest::newRow("neither kind is named")
            << QStringList{"notes.txt", "Pawn.uc"} << "started" << done << QStringList{"class Pawn"}
            << QStringList{"Not opened: $/notes.txt is neither a browser state (.Kelvar) nor a class (.uc)"} << true;
        QTest::newRow("a state not loaded, missing")
            << QStringList{"gone.Kelvar"} << "started" << done << QStringList{"state gone.Kelvar"}
            << QStringList{"Unable to load the state $/gone.Kelvar: no such file"} << true;
        QTest::newRow("a state not loaded, present")
            << QStringList{"bad.Kelvar"} << "started" << done << QStringList{"state bad.Kelvar"}
            << QStringList{"Unable to load the state $/bad.Kelvar"} << true;
        QTest::newRow("before the start-up has ended")
            << QStringList{"Pawn.uc"} << "starting" << int(FileOpenQueue::Outcome::Waiting) << QStringList{}
            << QStringList{} << false;
        QTest::newRow("while another operation runs")
            << QStringList{"Pawn.uc"} << "busy" << int(FileOpenQueue::Outcome::RetryLater) << QStringList{}
            << QStringList{} << false;
        QTest::newRow("the program ends: dropped")
            << QStringList{"Pawn.uc"} << "ending" << done << QStringList{} << QStringList{} << true;
        QTest::newRow("nothing waits") << QStringList{""} << "starting" << done << QStringList{} << QStringList{}
            << true;
        // A state handed over while another file loads is opened in the same walk.
        QTest::newRow("handed over meanwhile") << QStringList{"first.Kelvar"} << "started" << done
            << QStringList{"state first.Kelvar", "state second.Kelvar"} << QStringList{} << true;
    }

    void OpenWaiting()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, state);
        QFETCH(int, outcome);
        QFETCH(QStringList, opened);
        QFETCH(QStringList, said);
        QFETCH(bool, emptyAfter);
        test::ModelHarness h;
        h.game.WriteText(QStringLiteral("bad.Kelvar"), QStringLiteral("garbage"));
        QStringList log;
        FileOpenQueue *self = nullptr;
        // The loader loads every state but the missing and the damaged one;
        // loading "first" hands "second" over.
        FileOpenQueue queue(h.model, {[&](const QString &path) {
                                          const QString name = QFileInfo(path).fileName();
                                          log << QStringLiteral("state ") + name;
                                          if (name == QLatin1String("first.Kelvar"))
                                              self->Add(h.game.Native(QStringLiteral("second.Kelvar")));
                                          return !name.startsWith(QLatin1String("gone"))
                                              && !name.startsWith(QLatin1String("bad"));
                                      },
                                      [&](const QString &name) { log << QStringLiteral("class ") + name; }});
        self = &queue;
        for (const QString &file : files)
            queue.Add(file.isEmpty() ? file : h.game.Native(file));
        if (state != QLatin1String("starting"))
            queue.StartUpDone();
        std::unique_ptr<ClassModel::BusyScope> busy;
        if (state == QLatin1String("busy"))
            busy = std::make_unique<ClassModel::BusyScope>(h.model, QStringLiteral("loading"));
        if (state == QLatin1String("ending"))
            h.pump.SetTerminating();
        h.statuses.clear();
        QCOMPARE(int(queue.OpenWaiting()), outcome);
        QCOMPARE(log, opened);
        QCOMPARE(h.statuses.replaceInStrings(QDir::toNativeSeparators(h.game.Base()), QStringLiteral("$")), said);
        QCOMPARE(queue.IsEmpty(), emptyAfter);
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestFileOpenQueue)
#include "tst_FileOpenQueue.moc"
