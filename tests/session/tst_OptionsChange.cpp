#include "persist/Options.h"
#include "session/OptionsChange.h"
#include "session/StartSequence.h"

#include "support/ModelHarness.h"
#include "support/TempRegistry.h"
#include "support/TestKeyboard.h"

#include <QTest>

using namespace kelvarin;

// The options as the dialog and the start-up take them in.
class TestOptionsChange : public QObject
{
    Q_OBJECT

private slots:
    void Apply_data()
    {
        QTest::addColumn<QString>("newBase");     // "$": the game directory as it is
        QTest::addColumn<bool>("storeBroken");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("reset");
        QTest::newRow("same directory") << "$" << false << false << int(OptionsChange::Result::Kept) << false;
        QTest::newRow("another directory") << "/elsewhere" << false << false
                                           << int(OptionsChange::Result::Reloaded) << true;
        QTest::newRow("letter case alone") << "$upper" << false << false << int(OptionsChange::Result::Reloaded)
                                           << true;
        QTest::newRow("while another operation runs") << "/elsewhere" << false << true
                                                      << int(OptionsChange::Result::ReloadRefused) << false;
        QTest::newRow("store fails: said, still applied") << "/elsewhere" << true << false
                                                          << int(OptionsChange::Result::Reloaded) << true;
    }

    void Apply()
    {
        QFETCH(QString, newBase);
        QFETCH(bool, storeBroken);
        QFETCH(bool, busy);
        QFETCH(int, result);
        QFETCH(bool, reset);
        test::ModelHarness h;
        test::TempRegistry store;
        RegFileRegistry broken(store.BlockedPath());
        Registry &registry = storeBroken ? static_cast<Registry &>(broken) : store.reg;
        test::BuildTree(h.model.Browser(), {"Classes", "-Object"});
        const QString base = newBase == QLatin1String("$") ? h.options.BaseDir
            : newBase == QLatin1String("$upper")          ? h.options.BaseDir.toUpper()
                                                          : newBase;
        std::unique_ptr<ClassModel::BusyScope> scope;
        if (busy)
            scope = std::make_unique<ClassModel::BusyScope>(h.model, QStringLiteral("loading"));
        const OptionsChange::Result answer = OptionsChange::Apply(
            h.options, registry, h.model, h.prompter,
            [&](TOptions &options) {
                options.BaseDir = base;
                options.CommandLine = QStringLiteral("dm-deck16");
            },
            QStringLiteral("/opt/kelvarin"));
        QCOMPARE(int(answer), result);
        QCOMPARE(h.options.BaseDir, base);
        QCOMPARE(test::DumpTree(h.model.Browser()).size() == 1, reset);
        QCOMPARE(h.prompter.Texts(),
                 storeBroken ? QStringList{OptionsChange::StoreFailedMessage} : QStringList{});
        // What was applied is what the next start reads.
        TOptions read;
        QCOMPARE(LoadOptions(read, registry) && read.CommandLine == QLatin1String("dm-deck16"), !storeBroken);
    }

    void Start_data()
    {
        QTest::addColumn<QString>("store");   // "none", "options", "damaged"
        QTest::addColumn<bool>("ctrl");
        QTest::addColumn<bool>("asks");
        QTest::addColumn<QStringList>("said");
        QTest::addColumn<bool>("defaultStateLoaded");
        QTest::newRow("first start greets with the dialog") << "none" << false << true << QStringList{} << true;
        QTest::newRow("stored options") << "options" << false << false << QStringList{} << true;
        QTest::newRow("damaged store: defaults") << "damaged" << false << false
                                       << QStringList{StartSequence::LoadFailedMessage} << true;
        QTest::newRow("Ctrl held: nothing read") << "options" << true << true << QStringList{} << false;
    }

    void Start()
    {
        QFETCH(QString, store);
        QFETCH(bool, ctrl);
        QFETCH(bool, asks);
        QFETCH(QStringList, said);
        QFETCH(bool, defaultStateLoaded);
        test::ModelHarness h;
        test::TempRegistry registry;
        if (store == QLatin1String("options")) {
            TOptions seed;
            seed.BaseDir = h.game.Base();
            QVERIFY(SaveOptions(seed, registry.reg, QStringLiteral("/opt/kelvarin")));
        } else if (store == QLatin1String("damaged")) {
            QVERIFY(registry.Write("not a registry file"));
        }
        test::TestKeyboard keyboard;
        keyboard.ctrl = ctrl;
        TOptions options;
        StartSequence start(options, registry.reg, h.model, h.prompter, keyboard);
        start.LoadSettings();
        QCOMPARE(start.AsksForOptions(), asks);
        QCOMPARE(h.prompter.Texts(), said);
        test::BuildTree(h.model.Browser(), {"Classes", "-Stale"});
        bool loaded = false;
        const QString status = start.FirstShow([&] {
            loaded = true;
            test::BuildTree(h.model.Browser(), {"Classes", "-Object", "--Actor"});
        });
        QCOMPARE(loaded, defaultStateLoaded);
        QCOMPARE(test::DumpTree(h.model.Browser()),
                 loaded ? QStringList({"Classes", "-Object", "--Actor"}) : QStringList{"Classes"});
        QVERIFY2(status.startsWith(QStringLiteral("Startup time: ")), qPrintable(status));
        QVERIFY2(status.endsWith(loaded ? QStringLiteral("  2 classes loaded") : QStringLiteral("  0 classes loaded")),
                 qPrintable(status));
        QVERIFY(!h.model.Busy());
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestOptionsChange)
#include "tst_OptionsChange.moc"
