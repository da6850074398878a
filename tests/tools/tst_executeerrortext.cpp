#include "tools/ExecuteErrorText.h"

#include <QTest>

using namespace kelvarin;

class TestExecuteErrorText : public QObject
{
    Q_OBJECT

private slots:
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
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestExecuteErrorText)
#include "tst_executeerrortext.moc"
