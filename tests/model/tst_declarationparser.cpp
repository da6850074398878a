#include "model/DeclarationParser.h"
#include "platform/EventPump.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace kelvarin;
using DeclarationParser::FindParentClass;
using DeclarationParser::Parse;

namespace {

// A pump that counts its calls and can run a scripted step on a given call.
class CountingPump : public EventPump
{
public:
    void Pump() override
    {
        ++calls;
        if (onCall)
            onCall(calls);
    }
    bool Terminating() const override { return terminating; }
    void SetTerminating() override { terminating = true; }

    int calls = 0;
    bool terminating = false;
    std::function<void(int)> onCall;
};

QByteArray Utf16(const QString &text, bool littleEndian)
{
    QStringEncoder encoder(littleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
    const QByteArray bom = littleEndian ? QByteArray("\xFF\xFE", 2) : QByteArray("\xFE\xFF", 2);
    return bom + QByteArray(encoder.encode(text));
}

QByteArray Utf8Bom(const QString &text)
{
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

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

    // Parsing any beginning of the text as unfinished must either ask for
    // more or give the answer the whole text gives: a file read in chunks
    // must not reach another answer than the file read at once.
    static void CheckPrefixes(const QString &text, const QString &expected)
    {
        const qsizetype step = qMax<qsizetype>(1, text.size() / 400);
        for (qsizetype length = 0; length <= text.size(); length += step) {
            const auto partial = Parse(QStringView(text).first(length), false);
            if (partial.decided && partial.parent != expected)
                QFAIL(qPrintable(QStringLiteral("decided \"%1\" after %2 characters")
                                     .arg(partial.parent).arg(length)));
        }
        const auto whole = Parse(text, false);
        if (whole.decided)
            QCOMPARE(whole.parent, expected);
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
        QTest::newRow("mixed case") << "Class Foo ExPaNdS Bar;" << "Bar";
        QTest::newRow("class named like a keyword") << "class MyExpands extends Bar;" << "Bar";
        QTest::newRow("class named after the keyword") << "class Expands extends Bar;" << "Bar";
        QTest::newRow("tab before parent") << "class Foo expands\tBar;" << "Bar";
        QTest::newRow("parent on next line") << "class Foo expands\r\nBar;" << "Bar";
        QTest::newRow("three lines") << "class Foo\r\n  expands Bar\r\n;" << "Bar";
        QTest::newRow("LF line ends") << "class Foo\n  extends\n  Bar\n;" << "Bar";
        QTest::newRow("CR line ends") << "class Foo\r  extends\r  Bar\r;" << "Bar";
        QTest::newRow("two spaces") << "class Foo expands  Bar;" << "Bar";
        QTest::newRow("tab after parent") << "class Foo expands Bar\tnative;" << "Bar";
        QTest::newRow("config") << "class Foo extends Bar config(User);" << "Bar";
        QTest::newRow("native") << "class Foo expands Bar native;" << "Bar";
        QTest::newRow("tabs everywhere") << "class\tFoo\textends\tBar\t;" << "Bar";
        QTest::newRow("modifier before keyword") << "class Foo native extends Bar;" << "Bar";
        QTest::newRow("package qualified") << "class Foo extends Engine.Actor;" << "Actor";
        QTest::newRow("deeply qualified") << "class Foo extends A.B.Actor;" << "Actor";
        QTest::newRow("underscore and digits") << "class Foo extends Bar_2x;" << "Bar_2x";
        QTest::newRow("Latin-1 letter in parent") << "class Foo extends Caf\u00e9;" << "Caf\u00e9";
        QTest::newRow("no semicolon at end of file") << "class Foo extends Bar" << "Bar";
        QTest::newRow("no semicolon, line end") << "class Foo expands Bar\r\n" << "Bar";

        QTest::newRow("declaration in block comment")
            << "/* class Foo extends Bad; */\r\nclass Foo extends Good;" << "Good";
        QTest::newRow("declaration in line comment")
            << "//class Foo expands Bad;\r\nclass Foo expands Good;" << "Good";
        QTest::newRow("block comment inside")
            << "class Foo /* extends Bad */ extends Good;" << "Good";
        QTest::newRow("line comment inside") << "class Foo // extends Bad\r\n extends Good;" << "Good";
        QTest::newRow("comment after class") << "class/*x*/Foo extends Bar;" << "Bar";
        QTest::newRow("line comment after class") << "class//x\r\nFoo extends Bar;" << "Bar";
        QTest::newRow("comment after keyword") << "class Foo extends/*x*/Bar;" << "Bar";
        QTest::newRow("comment line before parent")
            << "class Foo extends\r\n// the parent:\r\n  Bar;" << "Bar";
        QTest::newRow("comment after parent") << "class Foo extends Bar/* x */;" << "Bar";
        QTest::newRow("unclosed comment after parent") << "class Foo extends Bar /* x" << "Bar";
        QTest::newRow("comment before on the same line")
            << "  \t/* c */ class Foo extends Bar;" << "Bar";
        QTest::newRow("comment spanning lines before")
            << "var int x /*\r\n*/ class Foo extends Bar;" << "Bar";
        QTest::newRow("leading blanks") << "   class Foo expands Bar;" << "Bar";
        QTest::newRow("tab after class") << "class\tFoo expands Bar;" << "Bar";
        QTest::newRow("after a statement") << "x = 1; class Foo extends Bar;" << "Bar";
        QTest::newRow("exec line before")
            << "#exec TEXTURE IMPORT FILE=Textures/*.pcx ; class Foo extends Bad;\r\n"
               "class Foo extends Good;" << "Good";
        QTest::newRow("exec line after") << "class Foo extends Bar;\r\n#exec OBJ LOAD FILE=x.utx\r\n"
                                         << "Bar";
        QTest::newRow("string hides statement")
            << "\"; class Foo extends Bad;\"\r\nclass Foo extends Good;" << "Good";
        QTest::newRow("string with escaped quote")
            << "\"a\\\"; class Foo extends Bad;\"\r\nclass Foo extends Good;" << "Good";
        QTest::newRow("string ends at line end")
            << "\"unclosed\r\nclass Foo extends Bar;" << "Bar";
        QTest::newRow("class literal first")
            << "class'Foo'.static.Bar(); class Baz extends Qux;" << "Qux";
        QTest::newRow("first declaration wins")
            << "class Foo extends Bar; class Baz extends Qux;" << "Bar";
        QTest::newRow("Latin-1 in comment")
            << "// (c) Ren\u00e9 \u00e9\u00e8\u00ff\r\nclass Foo extends Bar;" << "Bar";

        QString header;
        for (int i = 0; i < 200; ++i)
            header += QStringLiteral("// line %1 of a long header comment\r\n").arg(i);
        QTest::newRow("200 header lines") << header + "class Foo extends Bar;" << "Bar";
        QTest::newRow("100 KB line of slashes")
            << QString(100 * 1024, u'/') + "\r\nclass Foo extends Bar;" << "Bar";
        QTest::newRow("100 KB declaration line")
            << "class Foo" + QString(100 * 1024, u' ') + "extends Bar;" << "Bar";
        QTest::newRow("100 KB before the parent")
            << "class Foo extends" + QString(100 * 1024, u'\t') + "Bar;" << "Bar";

        QTest::newRow("no keyword") << "class Object native;" << "";
        QTest::newRow("empty text") << "" << "";
        QTest::newRow("only comments") << "// a\r\n/* b */\r\n" << "";
        QTest::newRow("no blank after class") << "classFoo extends Bar;" << "";
        QTest::newRow("longer word than class") << "classes Foo extends Bar;" << "";
        QTest::newRow("class not first in statement") << "x class Foo extends Bar;" << "";
        QTest::newRow("class as variable name") << "// x\r\nvar int class;\r\n" << "";
        QTest::newRow("keyword glued to parent") << "class Foo extendsBar;" << "";
        QTest::newRow("keyword inside a word") << "class Foo MyExtends Bar;" << "";
        QTest::newRow("keyword after semicolon") << "class Foo native; extends Bar;" << "";
        QTest::newRow("nothing after keyword") << "class Foo extends" << "";
        QTest::newRow("semicolon after keyword") << "class Foo extends ;" << "";
        QTest::newRow("punctuation after keyword") << "class Foo extends (Bar);" << "";
        QTest::newRow("declaration in unclosed comment")
            << "/* class Foo extends Bar;" << "";
        QTest::newRow("declaration after line comment")
            << "// x class Foo extends Bar;" << "";
        QTest::newRow("class alone at end") << "x;\r\nclass" << "";
    }

    void parentOfDeclaration()
    {
        QFETCH(QString, text);
        QFETCH(QString, parent);

        const auto result = Parse(text, true);
        QVERIFY(result.decided);
        QCOMPARE(result.parent, parent);

        CheckPrefixes(text, parent);

        // The same text as a file, read in chunks.
        const QString path = WriteFile(text.toLatin1());
        QVERIFY(!path.isEmpty());
        NullEventPump pump;
        QCOMPARE(FindParentClass(path, pump), parent);
    }

    void unfinishedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("decided");
        QTest::addColumn<QString>("parent");

        QTest::newRow("empty") << "" << false << "";
        QTest::newRow("comments only") << "// a\r\n/* b */" << false << "";
        QTest::newRow("inside a block comment") << "/* class Foo extends Bar;" << false << "";
        QTest::newRow("inside a line comment") << "// class Foo extends Bar;" << false << "";
        QTest::newRow("slash that may open a comment") << "x;\r\n/" << false << "";
        QTest::newRow("part of class") << "cla" << false << "";
        QTest::newRow("class may go on") << "class" << false << "";
        QTest::newRow("before the keyword") << "class Foo " << false << "";
        QTest::newRow("keyword may go on") << "class Foo extends" << false << "";
        QTest::newRow("parent may go on") << "class Foo extends Ba" << false << "";
        QTest::newRow("after a package dot") << "class Foo extends Engine." << false << "";
        QTest::newRow("inside a string") << "\"abc" << false << "";
        QTest::newRow("other statements") << "var int x;\r\n" << false << "";
        QTest::newRow("parent complete") << "class Foo extends Bar " << true << "Bar";
        QTest::newRow("parent and terminator") << "class Foo extends Bar;" << true << "Bar";
        QTest::newRow("qualified parent complete") << "class Foo extends Engine.Actor;" << true
                                                   << "Actor";
        QTest::newRow("declaration without keyword") << "class Object native;" << true << "";
        QTest::newRow("nothing after keyword") << "class Foo extends ;" << true << "";
    }

    void unfinishedText()
    {
        QFETCH(QString, text);
        QFETCH(bool, decided);
        QFETCH(QString, parent);

        const auto result = Parse(text, false);
        QCOMPARE(result.decided, decided);
        QCOMPARE(result.parent, parent);
    }

    // Texts put together from the pieces that matter to the parser, so that
    // chunk ends fall on every kind of place.
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
                if (partial.decided && partial.parent != whole.parent)
                    QFAIL(qPrintable(QStringLiteral("\"%1\": decided \"%2\" after %3 characters, "
                                                    "the whole text gives \"%4\"")
                                         .arg(text, partial.parent)
                                         .arg(length)
                                         .arg(whole.parent)));
            }
        }
    }

    void declarationAroundChunkEnd_data()
    {
        QTest::addColumn<int>("commentLength");
        // The first read is 4096 bytes: the declaration starts before, on or
        // after that point, or the point cuts the parent name.
        for (int length : {4060, 4070, 4080, 4090, 4092, 4094, 4095, 4096, 4097, 4100, 8180, 8190})
            QTest::newRow(qPrintable(QString::number(length))) << length;
    }

    void declarationAroundChunkEnd()
    {
        QFETCH(int, commentLength);
        const QString text = Comment(commentLength) + "\r\nclass Foo extends LongParentName;\r\n";
        NullEventPump pump;
        QCOMPARE(FindParentClass(WriteFile(text.toLatin1()), pump), QString("LongParentName"));
        QCOMPARE(FindParentClass(WriteFile(Utf8Bom(text)), pump), QString("LongParentName"));
        QCOMPARE(FindParentClass(WriteFile(Utf16(text, true)), pump), QString("LongParentName"));
        QCOMPARE(FindParentClass(WriteFile(Utf16(text, false)), pump), QString("LongParentName"));
    }

    void encodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("parent");

        const QString near = "// Ren\u00e9\r\nclass Foo extends Bar;\r\n";
        const QString far = Comment(6000) + "\r\nclass Foo extends Bar;\r\n";
        QTest::newRow("UTF-16 LE") << Utf16(near, true) << "Bar";
        QTest::newRow("UTF-16 BE") << Utf16(near, false) << "Bar";
        QTest::newRow("UTF-8 with mark") << Utf8Bom(near) << "Bar";
        QTest::newRow("UTF-16 LE, declaration far") << Utf16(far, true) << "Bar";
        QTest::newRow("UTF-16 BE, declaration far") << Utf16(far, false) << "Bar";
        QTest::newRow("UTF-8 with mark, declaration far") << Utf8Bom(far) << "Bar";
        QTest::newRow("Latin-1 bytes") << QByteArray("// Ren\xe9\r\n/* \xe9\xff\xa0 */class Foo extends Bar;")
                                       << "Bar";
        QTest::newRow("Latin-1 parent") << QByteArray("class Foo extends Caf\xe9;") << "Caf\u00e9";

        // A non-ASCII letter of the parent cut by the end of the first read.
        const QString declaration = "class Foo extends B\u00e4\u00e4\u00e4se;";
        for (int shift = 0; shift < 4; ++shift) {
            // BOM, comment, line end, then "class Foo extends B" (19 bytes):
            // for shifts 0 to 2 an "ä" has its first byte at offset 4095.
            const int commentBytes = 4095 - 3 - 2 - 19 - 2 * shift;
            const QString text = Comment(commentBytes) + "\r\n" + declaration;
            QTest::newRow(qPrintable(QStringLiteral("UTF-8 letter split %1").arg(shift)))
                << Utf8Bom(text) << "B\u00e4\u00e4\u00e4se";
        }
        // A symbol outside the basic plane (a surrogate pair) whose first half
        // is the last code unit of the first read ends the parent name.
        const QString wide = Comment(2047 - 1 - 21) + "class Foo extends Bar\U0001F600;";
        QTest::newRow("UTF-16 surrogate pair at chunk end") << Utf16(wide, true) << "Bar";
    }

    void encodings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, parent);
        NullEventPump pump;
        QCOMPARE(FindParentClass(WriteFile(bytes), pump), parent);
    }

    void binaryJunk_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<bool>("withDeclaration");
        for (quint32 seed : {1u, 2u, 3u, 77u, 4096u})
            for (bool withDeclaration : {false, true})
                QTest::newRow(qPrintable(QStringLiteral("%1%2").arg(seed).arg(withDeclaration ? "+decl" : "")))
                    << seed << withDeclaration;
    }

    void binaryJunk()
    {
        QFETCH(quint32, seed);
        QFETCH(bool, withDeclaration);
        QRandomGenerator random(seed);
        QByteArray bytes(64 * 1024, '\0');
        for (char &c : bytes)
            c = char(random.bounded(256));
        if (withDeclaration)
            bytes.replace(9000, 30, QByteArray("\r\n*/\"\r\nclass Foo extends Bar;\r\n").left(30));
        const QString path = WriteFile(bytes);

        NullEventPump pump;
        const QString found = FindParentClass(path, pump);
        // Whatever the junk holds, chunked reading agrees with reading it all.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const auto whole = Parse(TextFile::Decode(file.readAll()), true);
        QVERIFY(whole.decided);
        QCOMPARE(found, whole.parent);
    }

    void unreadableSources()
    {
        NullEventPump pump;
        QCOMPARE(FindParentClass(m_dir.filePath("NoSuchFile.uc"), pump), QString());
        QCOMPARE(FindParentClass(m_dir.filePath("NoSuchDir/Foo.uc"), pump), QString());
        QVERIFY(QDir(m_dir.path()).mkdir("Dir.uc"));
        QCOMPARE(FindParentClass(m_dir.filePath("Dir.uc"), pump), QString());
        QCOMPARE(FindParentClass(WriteFile(QByteArray()), pump), QString());
        QCOMPARE(FindParentClass(QString(), pump), QString());
    }

    void pathWithBackslashesAndOtherCase()
    {
        QVERIFY(QDir(m_dir.path()).mkpath("Pkg/Classes"));
        QFile file(m_dir.filePath("Pkg/Classes/foo.uc"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("class Foo extends Bar;\r\n");
        file.close();
        NullEventPump pump;
        QCOMPARE(FindParentClass(m_dir.path() + "\\PKG\\classes\\Foo.uc", pump), QString("Bar"));
    }

    void readingStopsOnceDecided()
    {
        // A declaration at the top of a large file needs one read.
        const QString early = "class Foo extends Bar;\r\n" + Comment(1024 * 1024);
        CountingPump pump;
        QCOMPARE(FindParentClass(WriteFile(early.toLatin1()), pump), QString("Bar"));
        QCOMPARE(pump.calls, 1);

        // One far down takes a few growing reads, not one per line or per
        // fixed-size block.
        QString late;
        while (late.size() < 200 * 1024)
            late += "// filler line of a long header comment\r\n";
        late += "class Foo extends Bar;\r\n";
        CountingPump latePump;
        QCOMPARE(FindParentClass(WriteFile(late.toLatin1()), latePump), QString("Bar"));
        QVERIFY2(latePump.calls > 1 && latePump.calls <= 10, qPrintable(QString::number(latePump.calls)));
    }

    void terminatingStopsReading_data()
    {
        QTest::addColumn<int>("terminateOnCall");
        QTest::addColumn<bool>("declarationFar");
        QTest::addColumn<QString>("parent");
        QTest::newRow("before the first read") << 1 << false << "";
        QTest::newRow("before a later read") << 2 << true << "";
        QTest::newRow("after the declaration was read") << 2 << false << "Bar";
        QTest::newRow("never") << 0 << true << "Bar";
    }

    void terminatingStopsReading()
    {
        QFETCH(int, terminateOnCall);
        QFETCH(bool, declarationFar);
        QFETCH(QString, parent);
        const QString text = (declarationFar ? Comment(20000) : QString()) + "class Foo extends Bar;";
        CountingPump pump;
        pump.onCall = [&pump, terminateOnCall](int call) {
            if (call == terminateOnCall)
                pump.terminating = true;
        };
        QCOMPARE(FindParentClass(WriteFile(text.toLatin1()), pump), parent);
    }
};

QTEST_GUILESS_MAIN(TestDeclarationParser)
#include "tst_declarationparser.moc"
