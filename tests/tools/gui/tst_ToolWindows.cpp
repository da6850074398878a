// The tools' windows: the compile window and its log, the exporter's
// window, and the box that tells why a program could not be started or
// opened, with its texts.

#include "tools/gui/Compiler.h"
#include "tools/gui/CompilerLog.h"
#include "tools/gui/ExecuteErrorBox.h"
#include "tools/gui/ExporterForm.h"

#include "model/Options.h"
#include "support/FakeProcess.h"
#include "support/ModelHarness.h"
#include "support/RecordingShell.h"
#include "support/ScriptedPrompter.h"
#include "support/ScriptedPump.h"
#include "support/StandinScratch.h"
#include "tools/ExecuteErrorText.h"
#include "tools/PackageExporter.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QtTest>

using namespace kelvarin;
using namespace kelvarin::test;

namespace {

// Looks at the filled box instead of running it modally.
class RecordingBox : public TExecuteErrorBox
{
public:
    int runs = 0;
    QString memoAtRun;
    QWidget *ownerAtRun = nullptr;
    bool onTopAtRun = false;

protected:
    int RunModal() override
    {
        ++runs;
        memoAtRun = ErrorMemo()->toPlainText();
        ownerAtRun = parentWidget();
        onTopAtRun = windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        return QDialog::Accepted;
    }
};

QStringList Items(QListWidget *list)
{
    QStringList items;
    for (int row = 0; row < list->count(); ++row)
        items.append(list->item(row)->text());
    return items;
}

struct Window
{
    ModelHarness h;
    RecordingErrors errors;
    PackageExporter exporter{h.model, errors};
    TExporterForm form{exporter};
    int refreshes = 0;
    int starts = 0;

    explicit Window(const QStringList &packages)
    {
        for (const QString &p : packages)
            h.game.WriteBytes("System/" + p + ".u", "x");
        exporter.SetRefreshHandler([this] { ++refreshes; });
        // UCC.exe runs until it is ended: the window stays busy until Cancel.
        exporter.SetProgramStarter([this](const ProgramCommand &, int *) -> std::shared_ptr<RunningProcess> {
            ++starts;
            auto process = std::make_shared<FakeProcess>();
            process->terminateEnds = true;
            return process;
        });
        form.show();
    }

    void Select(QListWidget *list, const QStringList &texts)
    {
        list->clearSelection();
        for (const QString &t : texts)
            list->findItems(t, Qt::MatchExactly).first()->setSelected(true);
    }

    QList<QWidget *> Controls()
    {
        return {form.FoundList(), form.ExportList(), form.AddAllButton(), form.AddButton(),
                form.RemoveButton(), form.RemoveAllButton(), form.GoButton()};
    }
};

} // namespace

class TestToolWindows : public QObject
{
    Q_OBJECT

private slots:
    // ---- The compile window and the compile log ----

    // The window during a compile shows the options and writes what is
    // changed: the check box (keyboard too), the slider's downward moves,
    // whose priority class the runner applies to UCC at its next wait step
    // (tst_compilerunner; the nice values are tst_process's). Only its width
    // can change. Cancel ends the real UCC and puts the old package back.
    void windowDuringACompile()
    {
        test::StandinScratch scratch;
        qputenv("KELVARIN_UCC_HANG", "1");
        TOptions options;
        options.BaseDir = scratch.Path(QStringLiteral("game"));
        options.UCCPriority = 128;
        options.bTestrunAfterCompile = true;
        scratch.CopyProgram(QStringLiteral("game/System/UCC.Exe"), QStringLiteral(KELVARIN_UCC_STANDIN));
        scratch.Write(QStringLiteral("game/System/UnrealTournament.ini"), "[Editor.EditorEngine]\r\n");
        scratch.Write(QStringLiteral("game/System/MyMod.u"), "old package");
        scratch.Write(QStringLiteral("game/MyMod/Classes/MyClass.uc"), "class MyClass extends Object;\r\n");
        test::ScriptedPump pump;
        pump.processEvents = true;
        pump.actionAt = -1;
        test::ScriptedPrompter prompter;
        test::RecordingErrors errors;
        CompileRunner runner(options, pump, prompter, errors);
        TCompiler window(options, runner);
        runner.SetView(&window);

        QList<int> stored;
        int step = 0;
        int height = 0;
        bool wasShown = false;
        pump.action = [&] {
            const qint64 pid = runner.RunningPid();
            if (!pid || runner.RunState() != 0)
                return;
            wasShown = wasShown || (window.isVisible() && window.PackageEdit()->text() == QLatin1String("MyMod"));
            switch (step++) {
            case 0:
                // The window shows the stored class: high is position 2.
                QCOMPARE(window.PriorityBar()->value(), 2);
                QVERIFY(window.RunAfterCompileCheck()->isChecked());
                QCOMPARE(window.CancelButton()->text(), QStringLiteral("&Cancel"));
                window.RunAfterCompileCheck()->setFocus();
                QTest::keyClick(window.RunAfterCompileCheck(), Qt::Key_Space);
                QVERIFY(!options.bTestrunAfterCompile);
                height = window.height();
                window.resize(window.width() + 100, height + 100);
                QCOMPARE(window.height(), height);
                window.PriorityBar()->setValue(1);
                stored.append(options.UCCPriority);
                break;
            case 1:
                window.PriorityBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
                stored.append(options.UCCPriority);
                break;
            case 2:
                QTest::mouseClick(window.CancelButton(), Qt::LeftButton);
                break;
            default:
                break;
            }
        };
        const CompileOutcome outcome = runner.CompilePackage(QStringLiteral("MyMod"));
        qunsetenv("KELVARIN_UCC_HANG");

        QVERIFY(wasShown);
        QCOMPARE(stored, (QList<int>{32, 64}));
        QCOMPARE(options.UCCPriority, 64);
        QCOMPARE(outcome.runState, 2);
        QVERIFY(!window.isVisible());
        QFile old(scratch.Path(QStringLiteral("game/System/MyMod.u")));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old package"));
        QVERIFY(!QFileInfo::exists(scratch.Path(QStringLiteral("game/System/MyMod.ubak"))));
        // A class that is none of the four shows as normal, and is kept.
        options.UCCPriority = 12345;
        window.ShowProgress(QStringLiteral("MyMod"), QStringLiteral("x\\UCC.Exe make"));
        QCOMPARE(window.PriorityBar()->value(), 1);
        QCOMPARE(options.UCCPriority, 12345);
    }

    // The log window re-reads on every view change (keyboard too) and on
    // every show; the errors flag comes from the file in either view. The
    // missing and empty log are tst_compilerlog's.
    void logViews()
    {
        test::StandinScratch scratch;
        TOptions options;
        options.BaseDir = scratch.Path(QStringLiteral("game"));
        scratch.Write(QStringLiteral("game/System/KelvarinCompiler.log"),
                      "Log: Log file open, now\r\nHeading: ---P---\r\nError: ..\\P\\Classes\\A.uc(2) : Error, x\r\n");
        test::ScriptedPrompter prompter;
        TCompilerLog log(options, prompter);
        log.ShowCompileLog();
        QCOMPARE(log.LogMemo()->toPlainText(),
                 QStringLiteral("Compilation started at: now\n---P---\nError: ..\\P\\Classes\\A.uc(2) : Error, x\n"
                                "Compilation stopped due to errors."));
        QVERIFY(log.ErrorsFound());
        // A double click on an error line opens its source at its line; on
        // any other line it does nothing.
        QList<QPair<QString, int>> opened;
        log.SetOpenSourceHandler([&opened](const QString &path, int line) { opened.append({path, line}); });
        const auto lineCentre = [&log](int n) {
            return log.LogMemo()->cursorRect(QTextCursor(log.LogMemo()->document()->findBlockByNumber(n))).center();
        };
        QTest::mouseDClick(log.LogMemo()->viewport(), Qt::LeftButton, {}, lineCentre(1));
        QTest::mouseDClick(log.LogMemo()->viewport(), Qt::LeftButton, {}, lineCentre(2));
        QCOMPARE(opened, (QList<QPair<QString, int>>{{options.BaseDir + QStringLiteral("\\P\\Classes\\A.uc"), 2}}));
        log.ShowParsedCheck()->setFocus();
        QTest::keyClick(log.ShowParsedCheck(), Qt::Key_Space);
        QCOMPARE(log.LogMemo()->toPlainText(),
                 QStringLiteral("Log: Log file open, now\nHeading: ---P---\nError: ..\\P\\Classes\\A.uc(2) : Error, x"));
        // A new compile's log is read again although the window is open and raw.
        scratch.Write(QStringLiteral("game/System/KelvarinCompiler.log"), "Log: Log file open, later\r\n");
        log.ShowCompileLog();
        QCOMPARE(log.LogMemo()->toPlainText(), QStringLiteral("Log: Log file open, later"));
        QVERIFY(!log.ErrorsFound());
        // A compile that left no package: its note stands where the success
        // line would, in the parsed view only.
        log.SetCompileNote(QStringLiteral("UCC ended without writing P.u."));
        log.ShowParsedCheck()->setChecked(true);
        QCOMPARE(log.LogMemo()->toPlainText(), QStringLiteral("Compilation started at: later\nUCC ended without writing P.u."));
        QTest::mouseClick(log.CloseButton(), Qt::LeftButton);
        QVERIFY(!log.isVisible());
    }

    // ---- The exporter's window: both lists and the four moves, the busy and
    // idle states of Go and Close/Cancel, a frame close while busy ----

    void showListsThePackagesAndMovesThem()
    {
        Window w({"MyMod", "Botpack", "Zeta", "alpha"});
        QCOMPARE(w.form.StatusText(), QStringLiteral("Idle"));
        QCOMPARE(Items(w.form.FoundList()), (QStringList{"alpha", "Botpack", "MyMod", "Zeta"}));
        QVERIFY(Items(w.form.ExportList()).isEmpty());

        w.Select(w.form.FoundList(), {"Zeta", "Botpack"});
        QTest::mouseClick(w.form.AddButton(), Qt::LeftButton);
        QCOMPARE(Items(w.form.FoundList()), (QStringList{"alpha", "MyMod"}));
        QCOMPARE(Items(w.form.ExportList()), (QStringList{"Botpack", "Zeta"}));

        // A double click moves the item under the mouse (it is selected).
        QListWidgetItem *item = w.form.ExportList()->findItems("Zeta", Qt::MatchExactly).first();
        w.Select(w.form.ExportList(), {"Zeta"});
        emit w.form.ExportList()->itemDoubleClicked(item);
        QCOMPARE(Items(w.form.ExportList()), QStringList{"Botpack"});

        QTest::mouseClick(w.form.AddAllButton(), Qt::LeftButton);
        QVERIFY(Items(w.form.FoundList()).isEmpty());
        QCOMPARE(Items(w.form.ExportList()).size(), 4);
        QTest::mouseClick(w.form.RemoveAllButton(), Qt::LeftButton);
        QCOMPARE(Items(w.form.FoundList()).size(), 4);
        QVERIFY(Items(w.form.ExportList()).isEmpty());

        // Shown again, the window scans afresh and nothing is queued.
        QTest::mouseClick(w.form.AddAllButton(), Qt::LeftButton);
        w.form.close();
        w.h.game.WriteBytes("System/B.u", "x");
        w.form.show();
        QCOMPARE(Items(w.form.FoundList()), (QStringList{"alpha", "B", "Botpack", "MyMod", "Zeta"}));
        QVERIFY(Items(w.form.ExportList()).isEmpty());
    }

    // Busy, every control is off and Close is Cancel; Cancel (the button or
    // Esc) brings them back and the window stays; Close (the same button or
    // Esc again) closes it and has the model refreshed once.
    void goCancelCloseStates_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("the button") << false;
        QTest::newRow("Esc") << true;
    }

    void goCancelCloseStates()
    {
        QFETCH(bool, escape);
        Window w({"A", "B"});
        const auto cancelOrClose = [&] {
            if (escape)
                QTest::keyClick(&w.form, Qt::Key_Escape);
            else
                QTest::mouseClick(w.form.CloseButton(), Qt::LeftButton);
        };
        w.form.AddAllButtonClick();
        QTest::mouseClick(w.form.GoButton(), Qt::LeftButton);
        QCOMPARE(w.starts, 1);
        for (QWidget *c : w.Controls())
            QVERIFY2(!c->isEnabled(), qPrintable(c->objectName()));
        QCOMPARE(w.form.GoButton()->text(), QStringLiteral("Busy"));
        QCOMPARE(w.form.CloseButton()->text(), QStringLiteral("&Cancel"));
        QCOMPARE(w.form.StatusText(), QStringLiteral("Exporting A"));

        cancelOrClose();
        QVERIFY(w.form.isVisible());
        QVERIFY(!w.exporter.IsBusy());
        for (QWidget *c : w.Controls())
            QVERIFY2(c->isEnabled(), qPrintable(c->objectName()));
        QCOMPARE(w.form.GoButton()->text(), QStringLiteral("&Go"));
        QCOMPARE(w.form.CloseButton()->text(), QStringLiteral("&Close"));
        QCOMPARE(Items(w.form.FoundList()), (QStringList{"A", "B"}));
        QCOMPARE(w.refreshes, 0);

        cancelOrClose();
        QVERIFY(!w.form.isVisible());
        QCOMPARE(w.refreshes, 1);
    }

    void frameCloseWhileBusyCancelsThenCloses()
    {
        Window w({"A"});
        w.form.AddAllButtonClick();
        w.form.GoButtonClick();
        QVERIFY(w.exporter.IsBusy());
        QVERIFY(w.form.close());
        QVERIFY(!w.form.isVisible());
        QTRY_VERIFY(!w.exporter.Busy());   // once the ended UCC.exe is seen to end
        QCOMPARE(w.refreshes, 1);
        QCOMPARE(w.form.GoButton()->text(), QStringLiteral("&Go"));
        QCOMPARE(w.exporter.FoundList().Entries(), QStringList{"A"});
    }

    // ---- The error box and its texts ----

    // The text for each start code, and the box that shows it, one line of
    // its memo per line of the text; for the codes of a started program,
    // neither.
    void Text_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("text");

        const QString game = QStringLiteral("C:\\UT\\System\\UnrealTournament.exe");
        const auto unknown = [&](int code) {
            return QStringLiteral("Unknown error accessing ") + game + QStringLiteral("\r\nError code: ")
                + QString::number(code) + QStringLiteral("\r\nPlease report this at the Kelvarin issue tracker.");
        };

        QTest::newRow("33: started, nothing shown") << 33 << game << QString();
        QTest::newRow("100: started, nothing shown") << 100 << game << QString();
        QTest::newRow("2: file not found") << 2 << game << QStringLiteral("Unable to find ") + game;
        QTest::newRow("3: path not found") << 3 << game << QStringLiteral("Unable to find ") + game;
        QTest::newRow("8: out of memory") << 8 << game << QStringLiteral("Out of memory opening ") + game;
        QTest::newRow("11: bad format") << 11 << game << game + QStringLiteral(" is corrupted!");
        QTest::newRow("27: incomplete association")
            << 27 << game << QStringLiteral("No program is associated with ") + game + QStringLiteral("!");
        QTest::newRow("31: no association")
            << 31 << QStringLiteral("C:\\x.abc") << QStringLiteral("No program is associated with C:\\x.abc!");
        QTest::newRow("0") << 0 << game << unknown(0);
        QTest::newRow("1") << 1 << game << unknown(1);
        QTest::newRow("5: access denied has no text of its own") << 5 << game << unknown(5);
        QTest::newRow("32: the last error code") << 32 << game << unknown(32);
        QTest::newRow("-1") << -1 << game << unknown(-1);
    }

    void Text()
    {
        QFETCH(int, code);
        QFETCH(QString, target);
        QFETCH(QString, text);
        QCOMPARE(ExecuteErrorText(code, target), text);
        RecordingBox box;
        box.ShowError(code, target);
        QCOMPARE(box.runs, text.isEmpty() ? 0 : 1);
        QCOMPARE(box.memoAtRun, QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    }

    // While a window of ours that stays on top is shown (the compile log),
    // the box opens in front of it, owned by it; afterwards it belongs to
    // the main window again.
    void OpensInFrontOfAWindowThatStaysOnTop()
    {
        QWidget main;
        main.show();
        QWidget log(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
        log.show();
        auto *box = new RecordingBox;
        box->setParent(&main, box->windowFlags());
        box->ShowError(2, QStringLiteral("/usr/bin/gone-editor"));
        QCOMPARE(box->ownerAtRun, &log);
        QVERIFY(box->onTopAtRun);
        QCOMPARE(box->parentWidget(), &main);
        QVERIFY(!box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void NextErrorReplacesTheText()
    {
        RecordingBox box;
        box.ShowError(5, QStringLiteral("C:\\b"));
        box.ShowError(11, QStringLiteral("C:\\c"));
        QCOMPARE(box.runs, 2);
        QCOMPARE(box.memoAtRun, QStringLiteral("C:\\c is corrupted!"));
    }

    void CloseEndsTheModalRun_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Close clicked") << false;
        QTest::newRow("Esc pressed") << true;
    }

    void CloseEndsTheModalRun()
    {
        QFETCH(bool, escape);

        TExecuteErrorBox box;
        QString seen;
        bool wasModal = false;
        QTimer::singleShot(0, &box, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            wasModal = modal == &box && box.isVisible();
            seen = box.ErrorMemo()->toPlainText();
            if (escape)
                QTest::keyClick(&box, Qt::Key_Escape);
            else
                box.CloseButton()->click();
        });
        box.ShowError(8, QStringLiteral("C:\\UT\\System\\UCC.exe"));
        QVERIFY(wasModal);
        QCOMPARE(seen, QStringLiteral("Out of memory opening C:\\UT\\System\\UCC.exe"));
        QVERIFY(!box.isVisible());
    }
};

KELVARIN_TEST_MAIN(TestToolWindows)
#include "tst_ToolWindows.moc"
