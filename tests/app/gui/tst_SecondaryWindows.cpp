#include "app/gui/AboutBox.h"
#include "app/gui/WaitBox.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

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

    void AboutBoxCloses_data()
    {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Close button") << false;
        QTest::newRow("Esc") << true;
    }

    void AboutBoxCloses()
    {
        QFETCH(bool, byEscape);
        TAboutBox box;
        QCOMPARE(box.windowTitle(), QStringLiteral("About Kelvarin"));
        QCOMPARE(box.Text().split(QLatin1Char('\n')).mid(0, 4),
                 (QStringList{"Kelvarin version 2.7.0", "",
                              "Hit the 'Read default packages' menu item, and save the state as the ",
                              "default. This will speed up the next loading process by 3000%!"}));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QVERIFY(!box.isModal());
        auto *close = box.findChild<QPushButton *>(QStringLiteral("CloseButton"));
        QCOMPARE(close->text(), QStringLiteral("&Close"));
        if (byEscape)
            QTest::keyClick(&box, Qt::Key_Escape);
        else
            close->click();
        QVERIFY(!box.isVisible());
    }
};

QTEST_MAIN(TestSecondaryWindows)
#include "tst_SecondaryWindows.moc"
