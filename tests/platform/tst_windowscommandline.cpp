#include "platform/WindowsCommandLine.h"

#include <QtTest>

using namespace kelvarin;

class TestWindowsCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void splitArguments_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("only blanks and tabs") << " \t  " << QStringList{};
        QTest::newRow("blanks separate") << "server  ctf-face" << QStringList{"server", "ctf-face"};
        QTest::newRow("tabs separate") << "a\tb \t c" << QStringList{"a", "b", "c"};
        QTest::newRow("leading and trailing blanks") << "  a b  " << QStringList{"a", "b"};
        QTest::newRow("quotes group and are dropped") << "\"a b\" c" << QStringList{"a b", "c"};
        QTest::newRow("quotes inside a word") << "ab\"c d\"e f" << QStringList{"abc de", "f"};
        QTest::newRow("empty quotes are an argument") << "a \"\" b" << QStringList{"a", "", "b"};
        QTest::newRow("backslashes elsewhere literal") << "C:\\Game\\System\\ x\\\\y"
                                                       << QStringList{"C:\\Game\\System\\", "x\\\\y"};
        QTest::newRow("2n backslashes then quote") << "\"a\\\\\" b" << QStringList{"a\\", "b"};
        QTest::newRow("2n+1 backslashes then quote") << "a\\\"b c" << QStringList{"a\"b", "c"};
        QTest::newRow("3 backslashes then quote") << "a\\\\\\\"b" << QStringList{"a\\\"b"};
        QTest::newRow("escaped quote inside quotes") << "\"a \\\" b\"" << QStringList{"a \" b"};
        QTest::newRow("doubled quote inside quotes") << "\"a \"\" b\" c" << QStringList{"a \" b", "c"};
        QTest::newRow("doubled quote outside quotes") << "a\"\"b" << QStringList{"ab"};
        QTest::newRow("unbalanced quote runs to the end") << "a \"b c  d" << QStringList{"a", "b c  d"};
        QTest::newRow("lone quote") << "\"" << QStringList{""};
        QTest::newRow("trailing backslashes") << "a\\\\ b\\" << QStringList{"a\\\\", "b\\"};
        QTest::newRow("game options") << "ctf-face?game=Botpack.CTFGame -log=\"my log.txt\""
                                      << QStringList{"ctf-face?game=Botpack.CTFGame", "-log=my log.txt"};
    }

    void splitArguments()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        QCOMPARE(WindowsCommandLine::SplitArguments(text), expected);
    }

    void splitCommand_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("blanks") << "   " << QStringList{};
        QTest::newRow("quoted program with backslashes before its quote")
            << "\"C:\\Program Files\\Ed\\\" \"%1\"" << QStringList{"C:\\Program Files\\Ed\\", "%1"};
        QTest::newRow("quoted program keeps backslashes")
            << "\"C:\\Ed Dir\\ed.exe\" -n \"%1\"" << QStringList{"C:\\Ed Dir\\ed.exe", "-n", "%1"};
        QTest::newRow("unquoted program ends at a blank")
            << "C:\\Ed\\ed.exe %1" << QStringList{"C:\\Ed\\ed.exe", "%1"};
        QTest::newRow("unquoted program ends at a tab") << "gedit\t%1" << QStringList{"gedit", "%1"};
        QTest::newRow("program alone") << "gedit" << QStringList{"gedit"};
        QTest::newRow("leading blanks skipped") << "  gedit %1" << QStringList{"gedit", "%1"};
        QTest::newRow("unbalanced program quote") << "\"C:\\Ed\\ed.exe %1" << QStringList{"C:\\Ed\\ed.exe %1"};
        QTest::newRow("arguments by the argument rules")
            << "ed \"a\\\"b\" c\\\\\"d e\"" << QStringList{"ed", "a\"b", "c\\d e"};
    }

    void splitCommand()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        QCOMPARE(WindowsCommandLine::SplitCommand(text), expected);
    }

    void joinRoundTrip_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("none") << QStringList{};
        QTest::newRow("plain") << QStringList{"server", "ctf-face"};
        QTest::newRow("empty arguments") << QStringList{"", "a", ""};
        QTest::newRow("blanks and tabs") << QStringList{"a b", "c\td"};
        QTest::newRow("quotes") << QStringList{"\"", "a\"b", "\"\""};
        QTest::newRow("backslashes before quotes") << QStringList{"a\\\"b", "c\\\\\"", "\\\""};
        QTest::newRow("trailing backslashes quoted") << QStringList{"C:\\My Games\\", "x\\\\ y\\\\"};
        QTest::newRow("trailing backslashes unquoted") << QStringList{"C:\\Games\\", "\\\\"};
        QTest::newRow("shell characters") << QStringList{"a;b", "$HOME", "&", "|x", "`y`", "'z'"};
    }

    void joinRoundTrip()
    {
        QFETCH(QStringList, arguments);
        const QString joined = WindowsCommandLine::Join(arguments);
        QCOMPARE(WindowsCommandLine::SplitArguments(joined), arguments);
    }

    void joinQuotesOnlyWhereNeeded()
    {
        QCOMPARE(WindowsCommandLine::Join({"server", "C:\\Game\\"}), QStringLiteral("server C:\\Game\\"));
        QCOMPARE(WindowsCommandLine::Join({"a b"}), QStringLiteral("\"a b\""));
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestWindowsCommandLine)
#include "tst_windowscommandline.moc"
