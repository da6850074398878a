#include "platform/TextFile.h"

#include <QtTest>

using namespace kelvarin;

Q_DECLARE_METATYPE(kelvarin::TextEncoding)

namespace {

QByteArray ReadBytes(const QString &nativePath)
{
    QFile file(nativePath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestTextFile : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_base;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_base = m_dir->path();
    }

    void cleanup() { m_dir.reset(); }

    void decodeAndEncode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<TextEncoding>("encoding");
        QTest::newRow("UTF-8") << QByteArray("\xEF\xBB\xBFGr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC")
                               << QString::fromUtf8("Größe €") << TextEncoding::Utf8Bom;
        QTest::newRow("UTF-16 LE") << QByteArray("\xFF\xFE" "A\0\xAC\x20\r\0\n\0", 10)
                                   << QString::fromUtf8("A€\r\n") << TextEncoding::Utf16LE;
        QTest::newRow("UTF-16 BE") << QByteArray("\xFE\xFF\0A\x20\xAC", 6)
                                   << QString::fromUtf8("A€") << TextEncoding::Utf16BE;
        QTest::newRow("UTF-16 LE outside the BMP") << QByteArray("\xFF\xFE\x3D\xD8\x00\xDE", 6)
                                                   << QString::fromUtf8("😀") << TextEncoding::Utf16LE;
        QTest::newRow("half a UTF-8 mark is Latin-1") << QByteArray("\xEF\xBBx")
                                                      << QString::fromLatin1("\xEF\xBBx") << TextEncoding::Latin1;
        QTest::newRow("empty") << QByteArray() << QString() << TextEncoding::Latin1;
        QByteArray everyByte;
        for (int value = 0; value < 256; ++value)
            everyByte.append(char(value));
        QTest::newRow("every byte as Latin-1") << everyByte << QString::fromLatin1(everyByte) << TextEncoding::Latin1;
    }

    void decodeAndEncode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(TextEncoding, encoding);
        TextEncoding found = encoding == TextEncoding::Latin1 ? TextEncoding::Utf8Bom : TextEncoding::Latin1;
        QCOMPARE(TextFile::Decode(bytes, &found), text);
        QCOMPARE(found, encoding);
        QCOMPARE(TextFile::Encode(text, encoding), bytes);
    }

    // SplitLines ends a line at CR LF, LF or a lone CR; SplitPieces (the
    // "pieces" rows) also cuts lines longer than four characters.
    void split_data()
    {
        QTest::addColumn<bool>("pieces");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF") << false << "a\r\nb\r\n" << QStringList{"a", "b"};
        QTest::newRow("LF") << false << "a\nb\n" << QStringList{"a", "b"};
        QTest::newRow("lone CR") << false << "a\rb\r" << QStringList{"a", "b"};
        QTest::newRow("LF CR is two ends") << false << "a\n\rb" << QStringList{"a", "", "b"};
        QTest::newRow("mixed") << false << "a\r\n\nb\rc" << QStringList{"a", "", "b", "c"};
        QTest::newRow("text after the last end") << false << "a\r\nlast" << QStringList{"a", "last"};
        QTest::newRow("empty lines kept") << false << "\r\n\r\nx\r\n" << QStringList{"", "", "x"};
        QTest::newRow("only a line end") << false << "\r\n" << QStringList{""};
        QTest::newRow("empty text") << false << "" << QStringList{};
        QTest::newRow("blanks kept") << false << "  a \t\r\n" << QStringList{"  a \t"};
        QTest::newRow("pieces: ten characters") << true << "0123456789\r\n" << QStringList{"0123", "4567", "89"};
        QTest::newRow("pieces: exactly one piece") << true << "0123\r\nab" << QStringList{"0123", "ab"};
        QTest::newRow("pieces: two whole pieces") << true << "01234567" << QStringList{"0123", "4567"};
        QTest::newRow("pieces: empty line stays") << true << "\r\n012345" << QStringList{"", "0123", "45"};
    }

    void split()
    {
        QFETCH(bool, pieces);
        QFETCH(QString, text);
        QTEST(pieces ? TextFile::SplitPieces(text, 4) : TextFile::SplitLines(text), "lines");
    }

    // Every encoding's bytes: decodeAndEncode; here, lines ending in CR LF
    // written over the file there is.
    void writeLines()
    {
        const TextEncoding encoding = TextEncoding::Utf16LE;
        const QByteArray bytes("\xFF\xFE" "a\0\r\0\n\0\xE9\0\r\0\n\0", 14);
        // A longer file of the name in another letter case is replaced whole.
        QVERIFY(QDir().mkdir(m_base + QStringLiteral("/System")));
        QFile old(m_base + QStringLiteral("/System/OUT.txt"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write(QByteArray(5000, 'x')) == 5000);
        old.close();
        const QString written = m_base + QStringLiteral("\\SYSTEM\\Out.TXT");
        QVERIFY(TextFile::WriteLines(written, {QStringLiteral("a"), QString::fromLatin1("\xE9")}, encoding));
        QCOMPARE(QDir(m_base + QStringLiteral("/System")).entryList(QDir::Files), QStringList{"OUT.txt"});
        QCOMPARE(ReadBytes(m_base + QStringLiteral("/System/OUT.txt")), bytes);
        // Read back, the text and its encoding come out as they went in.
        TextEncoding found = TextEncoding::Latin1;
        const std::optional<QString> text = TextFile::ReadAll(written, &found);
        QVERIFY(text.has_value());
        QCOMPARE(TextFile::SplitLines(*text), (QStringList{QStringLiteral("a"), QString::fromLatin1("\xE9")}));
        QCOMPARE(found, encoding);
    }

    // A configuration or .int file that is a symbolic link stays one: the
    // write reaches the file it leads to, staged beside that file.
    void writeThroughLinks_data()
    {
        QTest::addColumn<QStringList>("links");   // "name>target", made in order; the last one is written
        QTest::addColumn<QString>("target");      // where the content lands
        QTest::newRow("relative link beside the file") << QStringList{"Game.ini>Real.ini"} << "Real.ini";
        QTest::newRow("absolute link into another folder") << QStringList{"Game.ini>@/Elsewhere/Real.ini"}
                                                         << "Elsewhere/Real.ini";
        QTest::newRow("link to a link") << QStringList{"Middle.ini>Elsewhere/Real.ini", "Game.ini>Middle.ini"}
                                        << "Elsewhere/Real.ini";
        QTest::newRow("dangling link") << QStringList{"Game.ini>Elsewhere/New.ini"} << "Elsewhere/New.ini";
    }

    void writeThroughLinks()
    {
        QFETCH(QStringList, links);
        QFETCH(QString, target);
        QVERIFY(QDir().mkdir(m_base + QStringLiteral("/Elsewhere")));
        for (const char *name : {"/Real.ini", "/Elsewhere/Real.ini"}) {
            QFile file(m_base + QLatin1String(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("old\r\n");
        }
        for (const QString &link : links) {
            QString to = link.section(QLatin1Char('>'), 1);
            to.replace(QLatin1Char('@'), m_base);
            QVERIFY(QFile::link(to, m_base + QLatin1Char('/') + link.section(QLatin1Char('>'), 0, 0)));
        }
        QVERIFY(TextFile::WriteLines(m_base + QStringLiteral("\\Game.ini"), {QStringLiteral("new")}));
        QCOMPARE(ReadBytes(m_base + QLatin1Char('/') + target), QByteArray("new\r\n"));
        for (const QString &link : links)
            QVERIFY(QFileInfo(m_base + QLatin1Char('/') + link.section(QLatin1Char('>'), 0, 0)).isSymLink());
        // Nothing staged is left anywhere.
        const QStringList staged = QDir(m_base).entryList({"*.kelvarin-*"}, QDir::AllEntries | QDir::System)
            + QDir(m_base + QStringLiteral("/Elsewhere")).entryList({"*.kelvarin-*"}, QDir::AllEntries | QDir::System);
        QVERIFY2(staged.isEmpty(), qPrintable(staged.join(' ')));
    }

    void refusals()
    {
        QVERIFY(QDir().mkdir(m_base + QStringLiteral("/Sub")));
        for (const char *tail : {"\\Sub", "\\SUB", "\\Sub\\none.txt"})
            QVERIFY2(!TextFile::ReadAll(m_base + QLatin1String(tail)).has_value(), tail);
        // Writing into a missing directory fails and leaves nothing behind.
        QVERIFY(!TextFile::WriteLines(m_base + QStringLiteral("\\Missing\\Out.txt"), {QStringLiteral("a")}));
        QCOMPARE(QDir(m_base).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"Sub"});
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
