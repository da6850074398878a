#include "authoring/gui/FindOrphanForm.h"
#include "model/Options.h"
#include "platform/SpecPath.h"
#include "support/ScriptedPump.h"
#include "support/GameDir.h"
#include "support/ScriptedPrompter.h"

#include <QApplication>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace kelvarin;

namespace {

using test::ScriptedPump;

struct Env
{
    Env() : form(options, pump, prompter)
    {
        options.BaseDir = game.Base();
        for (const char *file : {"System/OldMod.int", "System/Lib.dll", "System/Keep.int", "System/Keep.u",
                                 "System/Window.int"})
            game.WriteBytes(QLatin1String(file), "x");
        SpecPath::ForgetListings();
    }

    QStringList Items() const
    {
        QStringList items;
        for (int row = 0; row < form.OrphanList()->count(); ++row)
            items.append(form.OrphanList()->item(row)->text());
        return items;
    }

    test::GameDir game;
    TOptions options;
    ScriptedPump pump;
    test::ScriptedPrompter prompter;
    TFindOrphanForm form;
};

} // namespace

class TestFindOrphanForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void MemoPassesTheFocusOn()
    {
        Env env;
        env.form.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&env.form));
        QApplication::setActiveWindow(&env.form);
        env.form.CancelButton()->setFocus();
        env.form.InitialInfoMemo()->setFocus();
        QCOMPARE(QApplication::focusWidget(), env.form.NextButton());
    }

    // Next searches, Back returns to the welcome page and Next searches
    // anew; Finish deletes the checked files from the directory that was
    // searched and closes the wizard.
    void SearchAndDeleteChecked()
    {
        Env env;
        TFindOrphanForm &form = env.form;
        form.Show();
        QCOMPARE(form.ActivePage(), form.InitialTab());
        QTest::mouseClick(form.NextButton(), Qt::LeftButton);
        QCOMPARE(form.ActivePage(), form.FinishTab());
        QCOMPARE(env.Items(), (QStringList{"Lib.dll", "OldMod.int"}));
        QTest::mouseClick(form.BackButton(), Qt::LeftButton);
        QCOMPARE(form.ActivePage(), form.InitialTab());
        QVERIFY(!form.BackButton()->isEnabled());
        QCOMPARE(form.NextButton()->text(), QStringLiteral("&Next ->"));
        env.game.WriteBytes(QStringLiteral("System/Newer.int"), "x");
        QFile::remove(env.game.Native(QStringLiteral("System/Lib.dll")));
        form.NextButtonClick();
        QCOMPARE(form.ActivePage(), form.FinishTab());
        QCOMPARE(env.Items(), (QStringList{"Newer.int", "OldMod.int"}));
        for (int row = 0; row < form.OrphanList()->count(); ++row)
            QCOMPARE(form.OrphanList()->item(row)->checkState(), Qt::Checked);
        QCOMPARE(form.NextButton()->text(), QStringLiteral("&Finish"));
        QVERIFY(form.NextButton()->isEnabled());
        QVERIFY(form.BackButton()->isEnabled());

        form.OrphanList()->item(0)->setCheckState(Qt::Unchecked);
        // The base directory changes before Finish: the files still go from
        // the directory that was searched.
        test::GameDir other;
        other.WriteBytes(QStringLiteral("System/OldMod.int"), "x");
        env.options.BaseDir = other.Base();
        QTest::mouseClick(form.NextButton(), Qt::LeftButton);
        QVERIFY(!form.isVisible());
        QVERIFY(env.prompter.shown.isEmpty());
        QVERIFY(!env.game.Exists(QStringLiteral("System/OldMod.int")));
        QVERIFY(env.game.Exists(QStringLiteral("System/Newer.int")));
        QVERIFY(env.game.Exists(QStringLiteral("System/Keep.int")));
        QVERIFY(env.game.Exists(QStringLiteral("System/Window.int")));
        QVERIFY(other.Exists(QStringLiteral("System/OldMod.int")));

        // The next showing starts over on the welcome page.
        form.Show();
        QCOMPARE(form.ActivePage(), form.InitialTab());
        QCOMPARE(form.NextButton()->text(), QStringLiteral("&Next ->"));
        QVERIFY(!form.BackButton()->isEnabled());
    }

    // Cancel while the search runs: listing (pump 1) or the orphan loop
    // (pump 4 of 5 files' worth); or Cancel, Esc or closing the window
    // after it. The wizard closes on the welcome page, nothing is deleted,
    // and the next showing searches afresh.
    void ClosingDeletesNothing_data()
    {
        QTest::addColumn<int>("cancelAt");   // 0: after the search
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel while listing") << 1 << "cancel";
        QTest::newRow("Cancel while sorting out orphans") << 4 << "cancel";
        QTest::newRow("Cancel") << 0 << "cancel";
        QTest::newRow("Esc") << 0 << "escape";
        QTest::newRow("closing the window") << 0 << "close";
    }

    void ClosingDeletesNothing()
    {
        QFETCH(int, cancelAt);
        QFETCH(QString, how);
        Env env;
        TFindOrphanForm &form = env.form;
        const auto closeIt = [&] {
            if (how == QLatin1String("cancel"))
                QTest::mouseClick(form.CancelButton(), Qt::LeftButton);
            else if (how == QLatin1String("escape"))
                QTest::keyClick(&form, Qt::Key_Escape);
            else
                form.close();
        };
        bool nextWasDisabled = false;
        bool backWasDisabled = false;
        env.pump.actionAt = cancelAt;
        env.pump.action = [&] {
            nextWasDisabled = !form.NextButton()->isEnabled();
            backWasDisabled = !form.BackButton()->isEnabled();
            closeIt();
        };
        form.Show();
        form.NextButtonClick();
        if (cancelAt) {
            QVERIFY(nextWasDisabled);
            QVERIFY(backWasDisabled);
        } else {
            QCOMPARE(env.Items(), (QStringList{"Lib.dll", "OldMod.int"}));
            closeIt();
        }
        QVERIFY(!form.isVisible());
        QCOMPARE(form.ActivePage(), form.InitialTab());
        QVERIFY(!form.Finder().Searching());

        env.pump.action = nullptr;
        form.Show();
        QCOMPARE(form.ActivePage(), form.InitialTab());
        QVERIFY(form.NextButton()->isEnabled());
        QVERIFY(!form.BackButton()->isEnabled());
        form.NextButtonClick();
        QCOMPARE(env.Items(), (QStringList{"Lib.dll", "OldMod.int"}));
        QVERIFY(env.game.Exists(QStringLiteral("System/OldMod.int")));
        QVERIFY(env.game.Exists(QStringLiteral("System/Lib.dll")));
    }

    void ApplicationEndingClosesTheWizard()
    {
        Env env;
        TFindOrphanForm &form = env.form;
        env.pump.actionAt = 1;
        env.pump.action = [&env] { env.pump.SetTerminating(); };
        form.Show();
        form.NextButtonClick();
        QVERIFY(!form.isVisible());
        QVERIFY(form.NextButton()->isEnabled());
    }

};

KELVARIN_TEST_MAIN(TestFindOrphanForm)
#include "tst_FindOrphanForm.moc"
