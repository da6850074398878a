#include "app/gui/AboutBox.h"
#include "app/gui/WaitBox.h"
#include "platform/gui/MessageBoxPrompter.h"
#include "support/AppHarness.h"
#include "tools/CompileRunner.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace kelvarin;

class TestSecondaryWindows : public QObject
{
    Q_OBJECT

private slots:
    void WaitBoxShowsWhatIsProcessed()
    {
        TWaitBox box;
        QCOMPARE(box.windowTitle(), QStringLiteral("Kelvarin starting"));
        QCOMPARE(box.findChild<QLabel *>(QStringLiteral("Label1"))->text(),
                 QStringLiteral("Please wait... Kelvarin starting"));
        QCOMPARE(box.ProcessText(), QStringLiteral("Loading default state"));
        box.show();
        box.ShowProcess(QStringLiteral("Botpack"));
        QCOMPARE(box.ProcessText(), QStringLiteral("Processing: Botpack"));
    }

    void AboutBoxNamesTheVersionAndCloses()
    {
        TAboutBox box;
        QCOMPARE(box.windowTitle(), QStringLiteral("About Kelvarin"));
        QCOMPARE(box.Text().section(QLatin1Char('\n'), 0, 0), QStringLiteral("Kelvarin version 2.7.0"));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QVERIFY(!box.isModal());
        auto *close = box.findChild<QPushButton *>(QStringLiteral("CloseButton"));
        QCOMPARE(close->text(), QStringLiteral("&Close"));
        close->click();
        QVERIFY(!box.isVisible());
    }

    // A question asked while one of our windows is shown opens in front of
    // it: a window that stays on top owns it even when the main window asked
    // (it would cover the question otherwise), any other window owns it when
    // it is the active one. The question is active and answers the keyboard.
    void QuestionsOpenInFrontOfOurWindows_data()
    {
        QTest::addColumn<QString>("shown");    // the window shown besides the main window
        QTest::addColumn<bool>("asksFromIt");  // it is the active window when the question comes
        QTest::addColumn<bool>("onTop");       // the question stays on top
        QTest::newRow("compile window") << "compiler" << false << true;
        QTest::newRow("compile log") << "compilerLog" << false << true;
        QTest::newRow("exporter") << "exporterForm" << false << true;
        QTest::newRow("compile log, asked from it") << "compilerLog" << true << true;
        QTest::newRow("class finder, asked from it") << "findBox" << true << false;
        QTest::newRow("main window alone") << "" << false << false;
    }

    void QuestionsOpenInFrontOfOurWindows()
    {
        QFETCH(QString, shown);
        QFETCH(bool, asksFromIt);
        QFETCH(bool, onTop);
        test::AppHarness h;
        const QHash<QString, QWidget *> windows{{"compiler", &h.compiler},
                                                {"compilerLog", &h.compilerLog},
                                                {"exporterForm", &h.exporterForm},
                                                {"findBox", &h.findBox}};
        QWidget *window = windows.value(shown);
        h.form.show();
        if (window)
            window->show();
        QWidget *asking = asksFromIt ? window : &h.form;
        asking->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(asking));

        QWidget *owner = nullptr;
        bool active = false;
        bool boxOnTop = false;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            owner = box->parentWidget();
            active = QTest::qWaitForWindowActive(box);
            boxOnTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            QTest::keyClick(box, Qt::Key_Return);
        });
        MessageBoxPrompter prompter(&h.form);
        const MessageAnswer answer
            = prompter.Ask(QLatin1String(CompileRunner::EpicMessage), QStringLiteral("Kelvarin"),
                           MessageIcon::Question, MessageButtons::YesNo, MessageAnswer::No);
        QCOMPARE(owner, window ? window : &h.form);
        QVERIFY(active);
        QCOMPARE(boxOnTop, onTop);
        QCOMPARE(answer, MessageAnswer::No);
    }
};

KELVARIN_TEST_MAIN(TestSecondaryWindows)
#include "tst_SecondaryWindows.moc"
