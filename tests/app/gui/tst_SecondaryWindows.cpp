#include "app/AboutBox.h"
#include "app/WaitBox.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace kelvarin;

class TestSecondaryWindows : public QObject
{
    Q_OBJECT

private slots:
    void WaitBoxAsDesigned()
    {
        TWaitBox box;
        QCOMPARE(box.windowTitle(), QStringLiteral("Kelvarin starting"));
        QCOMPARE(box.size(), QSize(250, 250));
        QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(box.cursor().shape(), Qt::WaitCursor);
        auto *label1 = box.findChild<QLabel *>(QStringLiteral("Label1"));
        QVERIFY(label1);
        QCOMPARE(label1->text(), QStringLiteral("Please wait... Kelvarin starting"));
        QCOMPARE(box.ProcessText(), QStringLiteral("Loading default state"));
    }

    void ShowProcess_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("package") << "Botpack";
        QTest::newRow("empty") << "";
    }

    void ShowProcess()
    {
        QFETCH(QString, text);
        TWaitBox box;
        box.show();
        box.ShowProcess(text);
        QCOMPARE(box.ProcessText(), QStringLiteral("Processing: ") + text);
    }

    void AboutBoxAsDesigned()
    {
        TAboutBox box;
        QCOMPARE(box.windowTitle(), QStringLiteral("About Kelvarin"));
        QCOMPARE(box.size(), QSize(467, 325));
        QVERIFY(!box.isModal());
        const QStringList lines = box.Text().split(QLatin1Char('\n'));
        QVERIFY(lines.size() >= 4);
        QCOMPARE(lines[0], QStringLiteral("Kelvarin version 2.7.0"));
        QCOMPARE(lines[1], QString());
        QCOMPARE(lines[2], QStringLiteral("Hit the 'Read default packages' menu item, and save the state as the "));
        QCOMPARE(lines[3], QStringLiteral("default. This will speed up the next loading process by 3000%!"));
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
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        auto *close = box.findChild<QPushButton *>(QStringLiteral("CloseButton"));
        QVERIFY(close);
        QCOMPARE(close->text(), QStringLiteral("&Close"));
        QVERIFY(close->isDefault());
        if (byEscape)
            QTest::keyClick(&box, Qt::Key_Escape);
        else
            close->click();
        QVERIFY(!box.isVisible());
    }
};

QTEST_MAIN(TestSecondaryWindows)
#include "tst_SecondaryWindows.moc"
