#include "platform/WindowsCommandLine.h"

#include <QtTest>

using namespace kelvarin;

class TestWindowsCommandLine : public QObject
{
    Q_OBJECT

private slots:
    // SplitArguments takes a program's arguments apart; SplitCommand (the
    // "command" rows) reads the first word as a program path, where a
    // backslash before a quote stays, and the rest as arguments.
    void split_data()
    {
        QTest::addColumn<bool>("command");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty") << false << "" << QStringList{};
        QTest::newRow("only blanks and tabs") << false << " \t  " << QStringList{};
        QTest::newRow("blanks separate") << false << "server  ctf-face" << QStringList{"server", "ctf-face"};
        QTest::newRow("tabs separate") << false << "a\tb \t c" << QStringList{"a", "b", "c"};
        QTest::newRow("leading and trailing blanks") << false << "  a b  " << QStringList{"a", "b"};
        QTest::newRow("quotes group and are dropped") << false << "\"a b\" c" << QStringList{"a b", "c"};
        QTest::newRow("quotes inside a word") << false << "ab\"c d\"e f" << QStringList{"abc de", "f"};
        QTest::newRow("empty quotes are an argument") << false << "a \"\" b" << QStringList{"a", "", "b"};
        QTest::newRow("backslashes elsewhere literal") << false << "C:\\Game\\System\\ x\\\\y"
                                                       << QStringList{"C:\\Game\\System\\", "x\\\\y"};
        QTest::newRow("2n backslashes then quote") << false << "\"a\\\\\" b" << QStringList{"a\\", "b"};
        QTest::newRow("2n+1 backslashes then quote") << false << "a\\\"b c" << QStringList{"a\"b", "c"};
        QTest::newRow("3 backslashes then quote") << false << "a\\\\\\\"b" << QStringList{"a\\\"b"};
        QTest::newRow("escaped quote inside quotes") << false << "\"a \\\" b\"" << QStringList{"a \" b"};
        QTest::newRow("doubled quote inside quotes") << false << "\"a \"\" b\" c" << QStringList{"a \" b", "c"};
        QTest::newRow("doubled quote outside quotes") << false << "a\"\"b" << QStringList{"ab"};
        QTest::newRow("unbalanced quote runs to the end") << false << "a \"b c  d" << QStringList{"a", "b c  d"};
        QTest::newRow("lone quote") << false << "\"" << QStringList{""};
        QTest::newRow("trailing backslashes") << false << "a\\\\ b\\" << QStringList{"a\\\\", "b\\"};
        QTest::newRow("command: empty") << true << "" << QStringList{};
        QTest::newRow("command: blanks") << true << "   " << QStringList{};
        QTest::newRow("command: quoted program with backslashes before its quote")
            << true << "\"C:\\Program Files\\Ed\\\" \"%1\"" << QStringList{"C:\\Program Files\\Ed\\", "%1"};
        QTest::newRow("command: quoted program keeps backslashes")
            << true << "\"C:\\Ed Dir\\ed.exe\" -n \"%1\"" << QStringList{"C:\\Ed Dir\\ed.exe", "-n", "%1"};
        QTest::newRow("command: unquoted program ends at a blank")
            << true << "C:\\Ed\\ed.exe %1" << QStringList{"C:\\Ed\\ed.exe", "%1"};
        QTest::newRow("command: unquoted program ends at a tab") << true << "gedit\t%1" << QStringList{"gedit", "%1"};
        QTest::newRow("command: program alone") << true << "gedit" << QStringList{"gedit"};
        QTest::newRow("command: leading blanks skipped") << true << "  gedit %1" << QStringList{"gedit", "%1"};
        QTest::newRow("command: unbalanced program quote") << true << "\"C:\\Ed\\ed.exe %1" << QStringList{"C:\\Ed\\ed.exe %1"};
        QTest::newRow("command: arguments by the argument rules")
            << true << "ed \"a\\\"b\" c\\\\\"d e\"" << QStringList{"ed", "a\"b", "c\\d e"};
    }

    void split()
    {
        QFETCH(bool, command);
        QFETCH(QString, text);
        QTEST(command ? WindowsCommandLine::SplitCommand(text) : WindowsCommandLine::SplitArguments(text), "expected");
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
