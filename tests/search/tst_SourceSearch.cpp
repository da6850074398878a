#include "model/TextRules.h"
#include "platform/TextFile.h"
#include "search/SourceSearch.h"
#include "support/GameDir.h"

#include <QTest>

using namespace kelvarin;

namespace {

// x's with text at offset: puts a text across a read boundary.
QByteArray TextAt(qsizetype offset, const QByteArray &text, qsizetype total)
{
    QByteArray bytes(total, 'x');
    bytes.replace(offset, text.size(), text);
    return bytes;
}

} // namespace

class TestSourceSearch : public QObject
{
    Q_OBJECT

private slots:
    void FindsTheFirstMatchingLine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("containing");   // as typed; upper-cased by the test
        QTest::addColumn<bool>("matched");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("context");

        QTest::newRow("LF") << QByteArray("one\ntwo Foo\nthree\n") << "foo" << true << 2 << "two Foo";
        QTest::newRow("lone CR") << QByteArray("one\rtwo\r\rfoo") << "FOO" << true << 4 << "foo";
        QTest::newRow("mixed ends") << QByteArray("a\r\n\rb\n\r\nc\r\r\nfoo\n") << "foo" << true << 7 << "foo";
        QTest::newRow("first of two matches") << QByteArray("x\nfoo 1\nfoo 2\n") << "foo" << true << 2 << "foo 1";
        QTest::newRow("no match") << QByteArray("one\r\ntwo\r\n") << "foo" << false << 0 << "";
        QTest::newRow("text only across a line end") << QByteArray("fo\r\no\r\n") << "foo" << false << 0 << "";
        QTest::newRow("600-character first line")
            << QByteArray(590, 'a') + "Needle end\r\nnext" << "needle" << true << 1
            << QString(590, QLatin1Char('a')) + "Needle end";
        QTest::newRow("across the 64 KiB read")
            << TextAt(65530, "\nSomeNeedle\n", 70000) << "someneedle" << true << 2 << "SomeNeedle";
        QTest::newRow("line across the 64 KiB read, text after it")
            << TextAt(65000, "\n", 70000) + "\r\nlater Needle" << "needle" << true << 3 << "later Needle";
        // Many short CR LF lines up to exactly byte 65536, ending in CR, then
        // LF and the text on the next line: a CR LF split by the read.
        QByteArray split;
        int lines = 0;
        while (split.size() + 10 < 65536) {
            split += "abcdefg\r\n";
            ++lines;
        }
        split += QByteArray(65536 - 1 - split.size(), 'y');
        split += "\r\nfind me\r\n";
        QTest::newRow("CR LF split by the 64 KiB read") << split << "find me" << true << lines + 2 << "find me";
        QTest::newRow("Latin-1 text and file") << QByteArray("caf\xe9\r\n  cr\xe8me br\xfbl\xe9\xe9\r\n")
            << QString::fromLatin1("BR\xdbL\xc9") << true << 2 << QString::fromLatin1("cr\xe8me br\xfbl\xe9\xe9");
        QTest::newRow("ASCII text in a Latin-1 line") << QByteArray("\xe9t\xe9 DefaultProperties\n")
            << "defaultproperties" << true << 1 << QString::fromLatin1("\xe9t\xe9 DefaultProperties");
        QTest::newRow("tabs inside and around") << QByteArray("x\n\t\tvar\tint  Foo;\t \r\n")
            << "foo" << true << 2 << "var int  Foo;";
        QTest::newRow("binary junk with the text")
            << QByteArray("\x00\x7f\r\n\x01\x02jFoo\x00\x03\n", 13) << "foo" << true << 2 << "jFoo";
        // Sources with a byte-order mark are decoded; the mark itself is no text.
        const QString marked = QString::fromUtf8("class Foo;\r\n\r// \xce\xa9mega\n\tlet \xc3\xa9t\xc3\xa9 = 1;\r\n");
        const QString ete = QString::fromUtf8("\xc3\xa9t\xc3\xa9");
        for (TextEncoding encoding : {TextEncoding::Utf16LE, TextEncoding::Utf16BE, TextEncoding::Utf8Bom})
            QTest::addRow("byte-order mark %d", int(encoding))
                << TextFile::Encode(marked, encoding) << ete << true << 4 << "let " + ete + " = 1;";
        QTest::newRow("the mark is no text") << TextFile::Encode(marked, TextEncoding::Utf16LE) << QString(QChar(0xFEFF))
                                             << false << 0 << "";
        // A 10 MiB line is read whole; a text outside ASCII is searched for
        // character by character.
        const QByteArray huge = QByteArray(10 * 1024 * 1024, 'a') + "Needle!";
        QTest::newRow("10 MiB line") << huge << "needle" << true << 1 << QString::fromLatin1(huge);
        QTest::newRow("10 MiB line without the text") << huge << "haystack" << false << 0 << "";
        QTest::newRow("10 MiB line, text outside ASCII") << huge << QString::fromLatin1("\xe9") << false << 0 << "";
        // Line numbers keep counting across many reads: each i ends one
        // line, every fifth i another one with a lone CR.
        QByteArray many;
        for (int i = 1; i <= 40000; ++i)
            many += (i % 3 ? "line\r\n" : "line\n") + QByteArray(i % 7, ' ') + (i % 5 ? "" : "\r");
        many += "the End of it \xe9\r\nEnd of it \xe9" " again\r\n";
        const QString end = QString::fromLatin1("the End of it \xe9");
        QTest::newRow("many reads") << many << "end of" << true << 40000 + 40000 / 5 + 1 << end;
        QTest::newRow("many reads, text outside ASCII") << many << QString::fromLatin1("of it \xe9") << true
                                                         << 40000 + 40000 / 5 + 1 << end;
    }

    void FindsTheFirstMatchingLine()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, containing);
        test::GameDir game;
        game.WriteBytes(QStringLiteral("Pkg/Classes/Foo.uc"), bytes);
        const SourceSearch::FileMatch match =
            SourceSearch::SearchFile(game.Base() + QStringLiteral("\\Pkg\\Classes\\Foo.uc"), UpperCase(containing));
        QTEST(match.matched, "matched");
        QTEST(match.line, "line");
        QTEST(match.context, "context");
    }

    void FilesThatCannotBeReadDoNotMatch()
    {
        test::GameDir game;
        game.MakeDir(QStringLiteral("Pkg/Classes/Dir.uc"));
        // Without a text the file is never looked at: it matches.
        for (const QString &containing : {QStringLiteral("FOO"), QString()})
        for (const QString &name : {QStringLiteral("Missing.uc"), QStringLiteral("Dir.uc")}) {
            const SourceSearch::FileMatch match = SourceSearch::SearchFile(
                game.Base() + QStringLiteral("\\Pkg\\Classes\\") + name, containing);
            QCOMPARE(match.matched, containing.isEmpty());
            QCOMPARE(match.line, 0);
            QVERIFY(match.context.isEmpty());
        }
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestSourceSearch)
#include "tst_SourceSearch.moc"
