#include "tools/CompilerLog.h"

#include "support/GameDir.h"

#include <QDir>
#include <QtTest>

using namespace kelvarin;

namespace {
const QString kLog = QStringLiteral("System/KelvarinCompiler.log");
}

class TestCompilerLog : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("errors");
        QTest::newRow("start time, headings, success")
            << QStringList{"Log: Log file open, 05/03/24 10:11:12", "Log: Compiling", "Heading: ----MyMod----",
                           "Log: Success - 0 error(s), 0 warnings"}
            << QStringList{"Compilation started at: 05/03/24 10:11:12", "----MyMod----", "Compilation successfull!"}
            << false;
        QTest::newRow("warnings and errors kept whole, in file order")
            << QStringList{"Log: Log file open, x", "ExecWarning: ..\\P\\Classes\\a.uc: case", "Heading: P",
                           "Error: ..\\P\\Classes\\B.uc(3) : Error, bad", "Log: Compile aborted due to errors."}
            << QStringList{"Compilation started at: x", "ExecWarning: ..\\P\\Classes\\a.uc: case", "P",
                           "Error: ..\\P\\Classes\\B.uc(3) : Error, bad", "Compilation stopped due to errors."}
            << true;
        QTest::newRow("Error: inside a line does not count")
            << QStringList{"Log: Log file open, t", "Log: Error: nothing", " Error: indented", "error: lower"}
            << QStringList{"Compilation started at: t", "Compilation successfull!"} << false;
        QTest::newRow("first line is never looked at")
            << QStringList{"Error: first", "Heading: H"}
            << QStringList{"Compilation started at: ", "H", "Compilation successfull!"} << false;
        QTest::newRow("short first line gives an empty time")
            << QStringList{"Log:"} << QStringList{"Compilation started at: ", "Compilation successfull!"} << false;
        QTest::newRow("empty heading")
            << QStringList{"Log: Log file open, t", "Heading: "}
            << QStringList{"Compilation started at: t", "", "Compilation successfull!"} << false;
    }

    void parse()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, expected);
        QFETCH(bool, errors);
        bool found = !errors;
        QCOMPARE(CompilerLog::Parse(lines, &found), expected);
        QCOMPARE(found, errors);
        QCOMPARE(CompilerLog::HasErrorLine(lines), errors);
    }

    // The verdict comes from the file whichever view is shown; an empty
    // log shows "No log", as does a missing one (no compile yet). A log that
    // cannot be read is reported and keeps the flag of the load before.
    void loadLog_data()
    {
        QTest::addColumn<QByteArray>("bytes");   // null: no file; "/": a directory in its place
        QTest::addColumn<bool>("parsed");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("errors");
        const QByteArray bad("Log: Log file open, now\r\nHeading: P\r\nError: ..\\P\\Classes\\X.uc(1) : Error, x\r\n");
        QTest::newRow("parsed with error") << bad << true
            << QStringList{"Compilation started at: now", "P", "Error: ..\\P\\Classes\\X.uc(1) : Error, x",
                           "Compilation stopped due to errors."}
            << true;
        QTest::newRow("raw with error") << bad << false
            << QStringList{"Log: Log file open, now", "Heading: P", "Error: ..\\P\\Classes\\X.uc(1) : Error, x"}
            << true;
        QTest::newRow("Latin-1 bytes, no final line end") << QByteArray("Log: Log file open, caf\xe9\nHeading: \xff\xe9t\xe9")
            << true
            << QStringList{QString::fromLatin1("Compilation started at: caf\xe9"), QString::fromLatin1("\xff\xe9t\xe9"),
                           "Compilation successfull!"}
            << false;
        QTest::newRow("empty parsed") << QByteArray("") << true << QStringList{"No log"} << false;
        QTest::newRow("empty raw") << QByteArray("") << false << QStringList{"No log"} << false;
        QTest::newRow("no file: no compile yet") << QByteArray() << true << QStringList{"No log"} << false;
        QTest::newRow("a directory in its place") << QByteArray("/") << true << QStringList() << true;
    }

    void loadLog()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, parsed);
        QFETCH(QStringList, expected);
        QFETCH(bool, errors);
        const bool unreadable = bytes == "/";
        test::GameDir game;
        if (unreadable)
            game.MakeDir(kLog + QLatin1String("/inside"));
        else if (!bytes.isNull())
            game.WriteBytes(kLog, bytes);
        CompilerLog log;
        // A previous load that found errors must not leak into this one.
        game.WriteBytes(QStringLiteral("Other/System/KelvarinCompiler.log"), "x\r\nError: old\r\n");
        log.LoadLog(game.Base() + QLatin1String("/Other"), true);
        QVERIFY(log.ErrorsFound());
        const CompilerLog::View view = log.LoadLog(game.Base(), parsed);
        QCOMPARE(view.opened, !unreadable);
        QCOMPARE(view.lines, expected);
        QCOMPARE(log.ErrorsFound(), errors);
        QCOMPARE(view.empty, bytes.isEmpty());
        QCOMPARE(view.errorText, unreadable ? QStringLiteral("Cannot open file ") + QDir::toNativeSeparators(game.Native(kLog))
                                            : QString());
        if (!unreadable)
            QCOMPARE(game.Read(kLog), bytes);
    }

    // A double click on an error or warning line leads to the source file
    // in the game directory, whatever path UCC wrote in front of it.
    void sourceOf_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("path");   // below BaseDir; empty: none
        QTest::addColumn<int>("number");
        QTest::newRow("error, path from System") << "Error: ..\\StormMod\\Classes\\StormMutator.uc(12) : Error, x"
                                                 << "\\StormMod\\Classes\\StormMutator.uc" << 12;
        QTest::newRow("warning, the game's own path") << "ExecWarning: C:\\UnrealTournament\\P\\classes\\A.UC(3) : Warning, y"
                                                      << "\\P\\Classes\\A.UC" << 3;
        QTest::newRow("plain warning, slashes") << "Warning: /home/u/ut/P/Classes/A.uc(7) : Warning, z"
                                                << "\\P\\Classes\\A.uc" << 7;
        QTest::newRow("no line number") << "Error: 'x' is not a package name" << "" << 0;
        QTest::newRow("not below Classes") << "Error: ..\\P\\Other\\A.uc(1) : Error, x" << "" << 0;
        QTest::newRow("package leading outside") << "Error: ..\\..\\Classes\\A.uc(1) : Error, x" << "" << 0;
        QTest::newRow("line 0") << "Error: ..\\P\\Classes\\A.uc(0) : Error, x" << "" << 0;
        QTest::newRow("heading") << "Heading: ..\\P\\Classes\\A.uc(4)" << "" << 0;
        QTest::newRow("Error: inside a line") << "Log: Error: ..\\P\\Classes\\A.uc(4)" << "" << 0;
    }

    void sourceOf()
    {
        QFETCH(QString, line);
        QFETCH(QString, path);
        QFETCH(int, number);
        const std::optional<CompilerLog::SourceLine> source = CompilerLog::SourceOf(line, QStringLiteral("/g/UT"));
        QCOMPARE(source.has_value(), !path.isEmpty());
        if (source) {
            QCOMPARE(source->path, QStringLiteral("/g/UT") + path);
            QCOMPARE(source->line, number);
        }
    }

};

KELVARIN_TEST_GUILESS_MAIN(TestCompilerLog)
#include "tst_compilerlog.moc"
