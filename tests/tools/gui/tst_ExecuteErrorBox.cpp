// The box that tells why a program could not be started or opened, and
// its texts.

#include "tools/gui/ExecuteErrorBox.h"

#include "tools/ExecuteErrorText.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace kelvarin;

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

} // namespace

class TestExecuteErrorBox : public QObject
{
    Q_OBJECT

private slots:
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

KELVARIN_TEST_MAIN(TestExecuteErrorBox)
#include "tst_ExecuteErrorBox.moc"
