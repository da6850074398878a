#include "model/DeclarationParser.h"
#include "platform/TextFile.h"
#include "support/CountingPump.h"
#include "support/EncodedText.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace kelvarin;
using DeclarationParser::FindParentClass;
using DeclarationParser::Parse;

namespace {

// A block comment of exactly length characters.
QString Comment(qsizetype length)
{
    return QStringLiteral("/*") + QString(length - 4, u'x') + QStringLiteral("*/");
}

} // namespace

class TestDeclarationParser : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_fileCount = 0;

    QString WriteFile(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("Src%1.uc").arg(++m_fileCount));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return QString();
        return path;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void parentOfDeclaration_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("parent");

        QTest::newRow("expands") << "class Foo expands Bar;" << "Bar";
        QTest::newRow("extends") << "class Foo extends Bar;" << "Bar";
        QTest::newRow("upper case") << "CLASS Foo EXTENDS Bar;" << "Bar";
        QTest::newRow("class named like a keyword") << "class MyExpands extends Bar;" << "Bar";
        QTest::newRow("tab before parent") << "class Foo expands\tBar;" << "Bar";
        QTest::newRow("parent on next line") << "class Foo expands\r\nBar;" << "Bar";
        QTest::newRow("LF line ends") << "class Foo\n  extends\n  Bar\n;" << "Bar";
        QTest::newRow("CR line ends after a line comment") << "// Foo.\r//\rclass Foo\r  extends Bar\r;\r" << "Bar";
        QTest::newRow("tab after parent") << "class Foo expands Bar\tnative;" << "Bar";
        QTest::newRow("modifier before keyword") << "class Foo native extends Bar;" << "Bar";
        QTest::newRow("package qualified") << "class Foo extends Engine.Actor;" << "Actor";
        QTest::newRow("deeply qualified") << "class Foo extends A.B.Actor;" << "Actor";
        QTest::newRow("underscore and digits") << "class Foo extends Bar_2x;" << "Bar_2x";
        QTest::newRow("Latin-1 letter in parent") << "class Foo extends Caf\u00e9;" << "Caf\u00e9";
        QTest::newRow("no semicolon at end of file") << "class Foo extends Bar" << "Bar";

        QTest::newRow("declaration in block comment")
            << "/* class Foo extends Bad; */\r\nclass Foo extends Good;" << "Good";
        QTest::newRow("declaration in line comment")
            << "//class Foo expands Bad;\r\nclass Foo expands Good;" << "Good";
        QTest::newRow("block comment inside")
            << "class Foo /* extends Bad */ extends Good;" << "Good";
        QTest::newRow("line comment inside") << "class Foo // extends Bad\r\n extends Good;" << "Good";
        QTest::newRow("comment after class") << "class/*x*/Foo extends Bar;" << "Bar";
        QTest::newRow("comment after keyword") << "class Foo extends/*x*/Bar;" << "Bar";
        QTest::newRow("comment line before parent")
            << "class Foo extends\r\n// the parent:\r\n  Bar;" << "Bar";
        QTest::newRow("unclosed comment after parent") << "class Foo extends Bar /* x" << "Bar";
        QTest::newRow("comment before on the same line")
            << "  \t/* c */ class Foo extends Bar;" << "Bar";
        QTest::newRow("header comment closed with **/") << "/** Foo **/\r\nclass Foo extends Bar;" << "Bar";
        QTest::newRow("comment spanning lines before")
            << "/* a\r\n*/ class Foo extends Bar;" << "Bar";
        QTest::newRow("exec line before")
            << "#exec TEXTURE IMPORT FILE=Textures/*.pcx ; class Foo extends Bad;\r\n"
               "class Foo extends Good;" << "Good";
        QTest::newRow("string hides semicolon") << "class Foo config(\";\") extends Bar;" << "Bar";
        QTest::newRow("string with escaped quote") << "class Foo config(\"a\\\";\") extends Bar;" << "Bar";
        QTest::newRow("string ends at line end") << "class Foo config(\"x\r\n) extends Bar;" << "Bar";
        QTest::newRow("NUL ends the parent") << QString("class Foo extends Bar") + QChar(0) + ";" << "Bar";
        QTest::newRow("first declaration wins")
            << "class Foo extends Bar; class Baz extends Qux;" << "Bar";

        QTest::newRow("100 KB line of slashes")
            << QString(100 * 1024, u'/') + "\r\nclass Foo extends Bar;" << "Bar";
        QTest::newRow("100 KB declaration line")
            << "class Foo" + QString(100 * 1024, u' ') + "extends Bar;" << "Bar";

        QTest::newRow("no keyword") << "class Object native;" << "";
        QTest::newRow("empty text") << "" << "";
        QTest::newRow("only comments") << "// a\r\n/* b */\r\n" << "";
        QTest::newRow("no blank after class") << "classFoo extends Bar;" << "";
        QTest::newRow("longer word than class") << "classes Foo extends Bar;" << "";
        QTest::newRow("class not first in statement") << "x class Foo extends Bar;" << "";
        QTest::newRow("keyword glued to parent") << "class Foo extendsBar;" << "";
        QTest::newRow("keyword inside a word") << "class Foo MyExtends Bar;" << "";
        QTest::newRow("keyword after semicolon") << "class Foo native; extends Bar;" << "";
        QTest::newRow("nothing after keyword") << "class Foo extends" << "";
        QTest::newRow("punctuation after keyword") << "class Foo extends (Bar);" << "";
        QTest::newRow("declaration in unclosed comment") << "/* class Foo extends Bar;" << "";
        QTest::newRow("class alone at end") << "x;\r\nclass" << "";
        QTest::newRow("statement before") << "x = 1; class Foo extends Bar;" << "";
        QTest::newRow("string before") << "\"x\"\r\nclass Foo extends Bar;" << "";
        QTest::newRow("class literal before") << "class'Foo'.static.Bar(); class Baz extends Qux;" << "";
        QTest::newRow("NUL before") << QChar(0) + QString("class Foo extends Bar;") << "";
        QTest::newRow("NUL in a comment") << QString("/*") + QChar(0) + "*/class Foo extends Bar;" << "";
        QTest::newRow("control in the declaration") << "class Foo \x01 extends Bar;" << "";
        QTest::newRow("parent name of 2000 letters") << "class Foo extends " + QString(2000, u'B') + ";" << "";
    }

    void parentOfDeclaration()
    {
        QFETCH(QString, text);
        QFETCH(QString, parent);

        const auto result = Parse(text, true);
        QVERIFY(result.decided);
        QCOMPARE(result.parent, parent);

        // The same text as a file, read in chunks.
        const QString path = WriteFile(text.toLatin1());
        QVERIFY(!path.isEmpty());
        NullEventPump pump;
        QCOMPARE(FindParentClass(path, pump), parent);
    }

    // Parsing any beginning of a text as unfinished must either ask for more
    // or give the answer of the whole text: a file read in chunks must not
    // reach another answer than the file read at once. The texts are put
    // together from the pieces that matter to the parser, so that chunk ends
    // fall on every kind of place.
    void randomTextsReadInParts()
    {
        const QStringList pieces = {
            "class", "Class", " ", "\t", "\r\n", "\n", "/*", "*/", "//", "/", ";", "\"",
            "\\", "#exec ", "extends", "expands", "Foo", "Bar", ".", "Engine.", "x", "'",
        };
        QRandomGenerator random(20240611);
        for (int round = 0; round < 300; ++round) {
            QString text;
            const int count = random.bounded(1, 24);
            for (int i = 0; i < count; ++i)
                text += pieces.at(random.bounded(pieces.size()));
            const auto whole = Parse(text, true);
            QVERIFY2(whole.decided, qPrintable(text));
            for (qsizetype length = 0; length <= text.size(); ++length) {
                const auto partial = Parse(QStringView(text).first(length), false);
                if (partial.decided)
                    QCOMPARE(text + ": " + partial.parent, text + ": " + whole.parent);
            }
        }
    }

    void encodingsAndChunkEnds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("parent");

        const QString near = "// Ren\u00e9\r\nclass Foo extends Bar;\r\n";
        QTest::newRow("UTF-16 LE") << test::Utf16WithMark(near, true) << "Bar";
        QTest::newRow("UTF-16 BE") << test::Utf16WithMark(near, false) << "Bar";
        QTest::newRow("UTF-8 with mark") << test::Utf8WithMark(near) << "Bar";
        QTest::newRow("Latin-1 bytes") << QByteArray("// Ren\xe9\r\n/* \xe9\xff\xa0 */class Foo extends Bar;")
                                       << "Bar";

        // Reads end at 1024, 2048, 4096, 8192 ... bytes: the declaration
        // starts before, on or after such a point, or the point cuts the
        // parent name, in every encoding.
        for (int length : {4060, 4070, 4080, 4090, 4092, 4094, 4095, 4096, 4097, 4100, 8180, 8190}) {
            const QString text = Comment(length) + "\r\nclass Foo extends LongParentName;\r\n";
            const QByteArray name = QByteArray::number(length);
            QTest::newRow(name + " Latin-1") << text.toLatin1() << "LongParentName";
            QTest::newRow(name + " UTF-8") << test::Utf8WithMark(text) << "LongParentName";
            QTest::newRow(name + " UTF-16 LE") << test::Utf16WithMark(text, true) << "LongParentName";
            QTest::newRow(name + " UTF-16 BE") << test::Utf16WithMark(text, false) << "LongParentName";
        }

        // A non-ASCII letter of the parent cut by the end of a read.
        const QString declaration = "class Foo extends B\u00e4\u00e4\u00e4se;";
        for (int shift = 0; shift < 4; ++shift) {
            // BOM, comment, line end, then "class Foo extends B" (19 bytes):
            // for shifts 0 to 2 an "ä" has its first byte at offset 4095.
            const int commentBytes = 4095 - 3 - 2 - 19 - 2 * shift;
            const QString text = Comment(commentBytes) + "\r\n" + declaration;
            QTest::newRow(qPrintable(QStringLiteral("UTF-8 letter split %1").arg(shift)))
                << test::Utf8WithMark(text) << "B\u00e4\u00e4\u00e4se";
        }
        // A symbol outside the basic plane (a surrogate pair) whose first half
        // is the last code unit of a read ends the parent name.
        const QString wide = Comment(2047 - 1 - 21) + "class Foo extends Bar\U0001F600;";
        QTest::newRow("UTF-16 surrogate pair at chunk end") << test::Utf16WithMark(wide, true) << "Bar";

        // Whatever binary junk holds, reading it in chunks agrees with
        // reading it all.
        for (quint32 seed : {1u, 77u}) {
            QRandomGenerator random(seed);
            QByteArray bytes(64 * 1024, '\0');
            for (char &c : bytes)
                c = char(random.bounded(256));
            QTest::addRow("junk %u", seed) << bytes << Parse(TextFile::Decode(bytes), true).parent;
            bytes.replace(9000, 30, QByteArray("\r\n*/\"\r\nclass Foo extends Bar;\r\n").left(30));
            QTest::addRow("junk %u with a declaration", seed) << bytes << Parse(TextFile::Decode(bytes), true).parent;
        }
    }

    void encodingsAndChunkEnds()
    {
        QFETCH(QByteArray, bytes);
        NullEventPump pump;
        QTEST(FindParentClass(WriteFile(bytes), pump), "parent");
    }

    void unreadableSources()
    {
        NullEventPump pump;
        QVERIFY(QDir(m_dir.path()).mkdir("Dir.uc"));
        for (const QString &path : {m_dir.filePath("NoSuchFile.uc"), m_dir.filePath("Dir.uc"),
                                    WriteFile(QByteArray()), QString()})
            QCOMPARE(FindParentClass(path, pump), QString());
    }

    // Binary data ends the search at once: a sparse file of 1 GB is read no
    // further than its first piece.
    void nulBytesEndTheSearch_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<QString>("parent");
        QTest::newRow("declaration before") << QByteArray("// x\r\nclass Foo extends Bar;\r\n") << QByteArray() << "Bar";
        QTest::newRow("declaration after") << QByteArray() << QByteArray("class Foo extends Bar;") << "";
        QTest::newRow("in a comment") << QByteArray("/* ") << QByteArray("*/ class Foo extends Bar;") << "";
    }

    void nulBytesEndTheSearch()
    {
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, tail);
        QFile file(WriteFile(head));
        QVERIFY(file.open(QIODevice::ReadWrite) && file.resize(qint64(1) << 30));
        QVERIFY(file.seek(file.size()) && file.write(tail) == tail.size());
        file.close();
        test::CountingPump pump;
        QTEST(FindParentClass(file.fileName(), pump), "parent");
        QCOMPARE(pump.calls, 1);
    }

    // Reading stops once the answer is known or the application terminates;
    // a declaration far down takes a few growing reads, not one per block.
    void readsUntilDecided_data()
    {
        QTest::addColumn<bool>("declarationFar");
        QTest::addColumn<int>("terminateAfter");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<int>("maxReads");
        QTest::newRow("declaration at the top") << false << -1 << "Bar" << 1;
        QTest::newRow("declaration far down") << true << -1 << "Bar" << 10;
        QTest::newRow("terminating before the first read") << false << 1 << "" << 1;
        QTest::newRow("terminating before a later read") << true << 2 << "" << 2;
    }

    void readsUntilDecided()
    {
        QFETCH(bool, declarationFar);
        QFETCH(int, terminateAfter);
        QFETCH(int, maxReads);
        QString filler;
        while (filler.size() < 200 * 1024)
            filler += "// filler line of a long header comment\r\n";
        const QString text = declarationFar ? filler + "class Foo extends Bar;\r\n"
                                            : "class Foo extends Bar;\r\n" + filler;
        test::CountingPump pump(terminateAfter);
        QTEST(FindParentClass(WriteFile(text.toLatin1()), pump), "parent");
        QVERIFY2(pump.calls >= 1 && pump.calls <= maxReads, qPrintable(QString::number(pump.calls)));
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestDeclarationParser)
#include "tst_declarationparser.moc"
