// The localisation file reader and writer: which lines the wizard edits,
// which bytes it must leave alone, the encodings it keeps, and the files it
// refuses rather than damage.

#include "authoring/IntFile.h"
#include "support/GameDir.h"
#include "support/Raised.h"

#include <QFileInfo>
#include <QTest>

using namespace kelvarin;

Q_DECLARE_METATYPE(kelvarin::TextEncoding)

namespace {

QByteArray Mark(TextEncoding encoding)
{
    return TextFile::Encode(QString(), encoding);
}

// Text in an encoding, without the byte-order mark.
QByteArray Body(const QString &text, TextEncoding encoding)
{
    return TextFile::Encode(text, encoding).mid(Mark(encoding).size());
}

} // namespace

class TestIntFile : public QObject
{
    Q_OBJECT

private slots:
    void ReadSplitsPublicFromOtherSections_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("publicLines");
        QTest::addColumn<QByteArray>("others");

        QTest::newRow("lines before any header count as public")
            << QByteArray("Top\r\n[public]\r\nA\r\n") << QStringList{"Top", "A"} << QByteArray();
        QTest::newRow("header with blanks and other case")
            << QByteArray("  [PUBLIC] \t\r\nA\r\n") << QStringList{"A"} << QByteArray();
        QTest::newRow("no public section")
            << QByteArray("[Engine.Mutator]\r\nX=1\r\n") << QStringList{}
            << QByteArray("[Engine.Mutator]\r\nX=1\r\n");
        QTest::newRow("public twice, another section between, kept as written")
            << QByteArray("[Public]\r\nA\r\n[MyMod.Menu]\nTitle=\"x\"\n\n; note\n[Public]\r\nB\r\n")
            << QStringList{"A", "B"} << QByteArray("[MyMod.Menu]\nTitle=\"x\"\n\n; note\n");
        QTest::newRow("last line without line end")
            << QByteArray("[Public]\r\nA\r\n[Other]\rK=V") << QStringList{"A"}
            << QByteArray("[Other]\rK=V");
        QTest::newRow("300-character lines whole")
            << (QByteArray("[Public]\r\n") + QByteArray(300, 'p') + "\r\n[X]\r\n" + QByteArray(300, 'x') + "\r\n")
            << QStringList{QString(300, QLatin1Char('p'))}
            << (QByteArray("[X]\r\n") + QByteArray(300, 'x') + "\r\n");
        QTest::newRow("8-bit bytes stay themselves")
            << QByteArray("[Public]\r\nCaption=\"Gr\xFC\xDF\"\r\n[X]\r\n\x80\x81\xFF\r\n")
            << QStringList{QString::fromLatin1("Caption=\"Gr\xFC\xDF\"")}
            << QByteArray("[X]\r\n\x80\x81\xFF\r\n");
    }

    void ReadSplitsPublicFromOtherSections()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, publicLines);
        QFETCH(QByteArray, others);
        test::GameDir game;
        game.WriteBytes(QStringLiteral("System/MyMod.int"), bytes);
        const IntFileContent content = IntFile::Read(IntFile::PathFor(game.Base(), QStringLiteral("MyMod")));
        QVERIFY(content.exists);
        QCOMPARE(content.encoding, TextEncoding::Latin1);
        QCOMPARE(content.publicLines, publicLines);
        QCOMPARE(content.otherSections, others);
    }

    void UnreadableFilesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("UTF-16 without byte-order mark")
            << QByteArray("[\0P\0u\0b\0l\0i\0c\0]\0\r\0\n\0A\0\r\0\n\0", 24);
        QTest::newRow("odd byte count after a UTF-16 mark") << QByteArray("\xFF\xFE[\0P\0X", 7);
        QTest::newRow("not UTF-8 after a UTF-8 mark") << QByteArray("\xEF\xBB\xBF[Public]\r\nBad\xC3(\r\n");
    }

    void UnreadableFilesAreRefused()
    {
        QFETCH(QByteArray, bytes);
        test::GameDir game;
        game.WriteBytes(QStringLiteral("System/Bad.int"), bytes);
        const QString path = IntFile::PathFor(game.Base(), QStringLiteral("Bad"));
        const QString message = test::Raised([&] { IntFile::Read(path); });
        QVERIFY2(message.startsWith(QLatin1String("Cannot open file ")), qPrintable(message));
        QVERIFY(message.endsWith(QLatin1String("Bad.int")));
        // Writing over it is refused as well: the bytes stay as they were.
        QVERIFY(!test::Raised([&] { IntFile::Write(path, {"[Public]", "A"}); }).isEmpty());
        QCOMPARE(game.Read(QStringLiteral("System/Bad.int")), bytes);
    }

    // Every other section comes back byte for byte after the new [Public]
    // lines, in the encoding the file came in.
    void WriteKeepsOtherSectionsAndEncoding_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::newRow("Latin-1") << TextEncoding::Latin1;
        QTest::newRow("UTF-8 with mark") << TextEncoding::Utf8Bom;
        QTest::newRow("UTF-16BE with mark") << TextEncoding::Utf16BE;
    }

    void WriteKeepsOtherSectionsAndEncoding()
    {
        QFETCH(TextEncoding, encoding);
        const QString accented = QString::fromLatin1("Caption=\"Pr\xE9" "f\xE9rences\"");
        const QString others = QStringLiteral("[MyMod.Menu]\n") + accented
            + QStringLiteral("\r\n\r\n; a comment\r[Another]\r\nKey=Value   ");
        const QString original = QStringLiteral("[Public]\nOld=1\r\n") + others;
        test::GameDir game;
        game.WriteBytes(QStringLiteral("System/MyMod.int"),
                        Mark(encoding) + Body(original, encoding));
        const QString path = IntFile::PathFor(game.Base(), QStringLiteral("MyMod"));

        IntFile::Write(path, {"[Public]", "Old=1", accented});

        const QByteArray expected = Mark(encoding)
            + Body(QStringLiteral("[Public]\r\nOld=1\r\n") + accented + QStringLiteral("\r\n"), encoding)
            + Body(others, encoding);
        QCOMPARE(game.Read(QStringLiteral("System/MyMod.int")), expected);
        const IntFileContent back = IntFile::Read(path);
        QCOMPARE(back.encoding, encoding);
        QCOMPARE(back.publicLines, (QStringList{"Old=1", accented}));
    }

    void NewFileIsLatin1WithCrLf()
    {
        test::GameDir game;
        game.MakeDir(QStringLiteral("System"));
        IntFile::Write(IntFile::PathFor(game.Base(), QStringLiteral("New")),
                       {"[Public]", QString::fromLatin1("A=\xE9"), ""});
        QCOMPARE(game.Read(QStringLiteral("System/New.int")), QByteArray("[Public]\r\nA=\xE9\r\n\r\n"));
    }

    void LinesTheEncodingCannotHoldAreRefused_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("held");
        const QString euro = QStringLiteral("Caption=\"5 \u20AC\"");
        QTest::newRow("euro sign in Latin-1") << TextEncoding::Latin1 << euro << false;
        QTest::newRow("euro sign in UTF-8") << TextEncoding::Utf8Bom << euro << true;
        QTest::newRow("lone surrogate in UTF-8") << TextEncoding::Utf8Bom << QString(QChar(0xD800)) << false;
        QTest::newRow("line feed inside a line") << TextEncoding::Utf16BE << QStringLiteral("A\n[Evil]") << false;
        QTest::newRow("NUL inside a line") << TextEncoding::Latin1 << QString(QChar(0)) << false;
    }

    void LinesTheEncodingCannotHoldAreRefused()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(QString, line);
        QFETCH(bool, held);
        QCOMPARE(IntFile::CanHold(encoding, line), held);
        if (held)
            return;
        test::GameDir game;
        const QByteArray before = Mark(encoding) + Body(QStringLiteral("[Public]\r\nOld\r\n"), encoding);
        game.WriteBytes(QStringLiteral("System/P.int"), before);
        const QString message = test::Raised([&] {
            IntFile::Write(IntFile::PathFor(game.Base(), QStringLiteral("P")), {"[Public]", "Old", line});
        });
        QVERIFY(message.contains(QLatin1String("cannot be written")));
        QCOMPARE(game.Read(QStringLiteral("System/P.int")), before);
    }

    // Read finds no file there (a missing file, a directory or a name no
    // file can have), and writing one fails.
    void FileThatCannotBeReplaced_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<bool>("makeDirectory");
        QTest::newRow("a directory of that name") << QStringLiteral("Dir") << true;
        QTest::newRow("a name too long") << QString(300, QLatin1Char('n')) << false;
        QTest::newRow("no System directory") << QStringLiteral("Lost") << false;
    }

    void FileThatCannotBeReplaced()
    {
        QFETCH(QString, package);
        QFETCH(bool, makeDirectory);
        test::GameDir game;
        if (package != QLatin1String("Lost"))
            game.MakeDir(QStringLiteral("System"));
        if (makeDirectory)
            game.MakeDir(QStringLiteral("System/") + package + QStringLiteral(".int"));
        const QString path = IntFile::PathFor(game.Base(), package);
        QVERIFY(!IntFile::Read(path).exists);
        const QString message = test::Raised([&] { IntFile::Write(path, {"[Public]"}); });
        QVERIFY2(message.startsWith(QLatin1String("Cannot create file ")), qPrintable(message));
        QVERIFY(message.endsWith(package + QLatin1String(".int")));
        if (makeDirectory)
            QVERIFY(QFileInfo(game.Native(QStringLiteral("System/Dir.int"))).isDir());
    }

    void PathIsBuiltFromTheBaseDirectory()
    {
        QCOMPARE(IntFile::PathFor(QStringLiteral("C:\\UT"), QStringLiteral("MyMod")),
                 QStringLiteral("C:\\UT\\System\\MyMod.int"));
        test::GameDir game;
        game.WriteBytes(QStringLiteral("System/Mixed.INT"), "[Public]\r\nA\r\n");
        QCOMPARE(IntFile::Read(game.Base() + QStringLiteral("\\system\\mixed.int")).publicLines, QStringList{"A"});
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestIntFile)
#include "tst_IntFile.moc"
