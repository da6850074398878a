#include "tools/gui/ExecuteErrorBox.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
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

    // The texts are ExecuteErrorText's; here, which codes show the box, how
    // its lines reach the memo, and that the next error replaces the text.
    void Shown()
    {
        RecordingBox box;
        box.ShowError(5, QStringLiteral("C:\\UT\\System"));
        QCOMPARE(box.runs, 1);
        QCOMPARE(box.memoAtRun, QStringLiteral("Unknown error accessing C:\\UT\\System\nError code: 5\n"
                                               "Please report this at the Kelvarin issue tracker."));
        // 33 and above: the program started, nothing is shown.
        box.ShowError(33, QStringLiteral("C:\\b"));
        box.ShowError(42, QStringLiteral("C:\\b"));
        QCOMPARE(box.runs, 1);
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
