#include "tools/gui/Compiler.h"
#include "tools/gui/CompilerLog.h"

#include "model/Options.h"
#include "support/ScriptedPump.h"
#include "support/RecordingShell.h"
#include "support/ScriptedPrompter.h"
#include "support/StandinScratch.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTextBlock>
#include <QTextCursor>
#include <QtTest>

using namespace kelvarin;

class TestCompiler : public QObject
{
    Q_OBJECT

private slots:
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
};

KELVARIN_TEST_MAIN(TestCompiler)
#include "tst_compiler.moc"
