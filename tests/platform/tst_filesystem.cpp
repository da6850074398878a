#include "platform/FileSystem.h"
#include "platform/ReadOnlyFile.h"
#include "support/CountingPump.h"

#include <QtTest>

using namespace kelvarin;

namespace {

void Put(const QString &nativePath, const QByteArray &bytes = {})
{
    QDir().mkpath(QFileInfo(nativePath).path());
    QFile file(nativePath);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(nativePath));
    file.write(bytes);
}

} // namespace

class TestFileSystem : public QObject
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
        // Dir/ holds files of several extensions and two directories.
        for (const char *name : {"A.uc", "B.UC", "c.Uc", "d.ucx", "e.u", "\xc3\x9c.uC"})
            Put(m_base + QStringLiteral("/Dir/") + QString::fromUtf8(name), "x");
        QVERIFY(QDir().mkpath(m_base + QStringLiteral("/Dir/x.uc")));
        QVERIFY(QDir().mkpath(m_base + QStringLiteral("/Dir/Sub")));
    }

    void cleanup() { m_dir.reset(); }

    void list_data()
    {
        QTest::addColumn<QString>("pattern");   // below the base directory
        QTest::addColumn<int>("what");
        QTest::addColumn<QStringList>("expected");
        const int files = int(FileSystem::ListWhat::Files);
        const int dirs = int(FileSystem::ListWhat::Directories);
        const int all = int(FileSystem::ListWhat::Everything);
        QTest::newRow("*.UC files, any case") << "\\Dir\\*.UC" << files << QStringList{"A.uc", "B.UC", "c.Uc", "Ü.uC"};
        QTest::newRow("directory in wrong case") << "\\dIR\\*.uc" << files << QStringList{"A.uc", "B.UC", "c.Uc", "Ü.uC"};
        QTest::newRow("* directories only") << "\\Dir\\*" << dirs << QStringList{"Sub", "x.uc"};
        QTest::newRow("*.uc everything") << "\\Dir\\*.uc" << all << QStringList{"A.uc", "B.UC", "c.Uc", "x.uc", "Ü.uC"};
        QTest::newRow("ü* a name that is not ASCII") << "\\Dir\\ü*" << files << QStringList{"Ü.uC"};
        QTest::newRow("? one character") << "\\Dir\\?.u" << files << QStringList{"e.u"};
        QTest::newRow("? does not match nothing") << "\\Dir\\??.uc" << all << QStringList{};
        QTest::newRow("exact name") << "\\Dir\\b.uc" << files << QStringList{"B.UC"};
        QTest::newRow("missing directory") << "\\Nowhere\\*" << all << QStringList{};
        QTest::newRow("empty pattern") << "\\Dir\\" << all << QStringList{};
    }

    void list()
    {
        QFETCH(QString, pattern);
        QFETCH(int, what);
        QStringList names = FileSystem::List(m_base + pattern, FileSystem::ListWhat(what));
        names.sort();
        QTEST(names, "expected");
    }

    void exists_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("file");
        QTest::addColumn<bool>("dir");
        QTest::addColumn<bool>("anyMatch");
        QTest::newRow("file as written") << "\\Dir\\A.uc" << true << false << true;
        QTest::newRow("file in wrong case") << "\\DIR\\a.UC" << true << false << true;
        QTest::newRow("directory in wrong case") << "\\dir\\SUB" << false << true << true;
        QTest::newRow("directory named like a source") << "\\Dir\\X.UC" << false << true << true;
        QTest::newRow("missing") << "\\Dir\\none.uc" << false << false << false;
        QTest::newRow("sources") << "\\dir\\*.UC" << false << false << true;
        QTest::newRow("no such extension") << "\\Dir\\*.int" << false << false << false;
        QTest::newRow("missing directory") << "\\Nowhere\\*.uc" << false << false << false;
    }

    void exists()
    {
        QFETCH(QString, path);
        QTEST(FileSystem::FileExists(m_base + path), "file");
        QTEST(FileSystem::DirExists(m_base + path), "dir");
        QTEST(FileSystem::AnyMatch(m_base + path), "anyMatch");
    }

    // A likely name answers only when it is there and matches; otherwise the
    // directory is listed as without one.
    void anyMatchWithLikelyName_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("likely");
        QTest::addColumn<bool>("anyMatch");
        QTest::newRow("there") << "\\Dir\\*.uc" << "A.uc" << true;
        QTest::newRow("missing, others match") << "\\Dir\\*.uc" << "Gone.uc" << true;
        QTest::newRow("missing, nothing matches") << "\\Dir\\Sub\\*.uc" << "Gone.uc" << false;
        QTest::newRow("there, not matching") << "\\Dir\\*.int" << "A.uc" << false;
        QTest::newRow("leading out of the directory") << "\\Dir\\Sub\\*.uc" << "../A.uc" << false;
        QTest::newRow("none given") << "\\Dir\\Sub\\*.uc" << "" << false;
    }

    void anyMatchWithLikelyName()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, likely);
        QFETCH(bool, anyMatch);
        test::CountingPump pump;
        // Many patterns are shared with helper threads: each answers in its
        // own place, between patterns that match nothing.
        QStringList patterns;
        std::vector<char> expected;
        for (int i = 0; i < 40; ++i) {
            patterns.append(m_base + (i % 3 == 0 ? pattern : QStringLiteral("\\Dir\\Sub\\*.none")));
            expected.push_back(i % 3 == 0 && anyMatch ? 1 : 0);
        }
        QCOMPARE(FileSystem::AnyMatchEach(patterns, pump, QStringList(40, likely)), expected);
    }

    void removeAndMake()
    {
        QVERIFY(FileSystem::RemoveFile(m_base + QStringLiteral("\\dir\\b.uc")));
        QVERIFY(!QFile::exists(m_base + QStringLiteral("/Dir/B.UC")));
        QVERIFY(!FileSystem::RemoveFile(m_base + QStringLiteral("\\Dir\\B.UC")));
        QVERIFY(!FileSystem::RemoveFile(m_base + QStringLiteral("\\Dir\\Sub")));   // not a file
        // A directory goes only when empty.
        QVERIFY(!FileSystem::RemoveDir(m_base + QStringLiteral("\\DIR")));
        QVERIFY(QFile::exists(m_base + QStringLiteral("/Dir/A.uc")));
        QVERIFY(FileSystem::RemoveDir(m_base + QStringLiteral("\\dir\\sub\\")));
        QVERIFY(!QFileInfo::exists(m_base + QStringLiteral("/Dir/Sub")));
        QVERIFY(!FileSystem::RemoveDir(m_base + QStringLiteral("\\Dir\\Sub")));

        QVERIFY(FileSystem::MakeDir(m_base + QStringLiteral("\\Default")));
        QVERIFY(QFileInfo(m_base + QStringLiteral("/Default")).isDir());
        QVERIFY(!FileSystem::MakeDir(m_base + QStringLiteral("\\default")));   // already there
        QVERIFY(!FileSystem::MakeDir(m_base + QStringLiteral("\\No\\Parent")));
    }

    void readOnlyFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("content");   // of data.bin
        QTest::addColumn<QList<int>>("sizes");     // after each read by four; empty: cannot be opened
        QTest::newRow("ten bytes, wrong case") << "\\DATA.bin" << QByteArray("0123456789") << QList<int>{4, 8, 10};
        QTest::newRow("eight bytes") << "\\data.bin" << QByteArray("01234567") << QList<int>{4, 8, 8};
        QTest::newRow("empty file") << "\\data.bin" << QByteArray() << QList<int>{0};
        QTest::newRow("directory") << "\\Dir\\Sub" << QByteArray() << QList<int>{};
        QTest::newRow("directory named like a source") << "\\dir\\x.UC" << QByteArray() << QList<int>{};
        QTest::newRow("missing") << "\\Dir\\none.uc" << QByteArray() << QList<int>{};
    }

    void readOnlyFile()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, content);
        QFETCH(QList<int>, sizes);
        Put(m_base + QStringLiteral("/data.bin"), content);
        ReadOnlyFile file;
        QCOMPARE(file.Open(m_base + path), !sizes.isEmpty());
        QByteArray bytes;
        // The last read says nothing more will come.
        for (qsizetype call = 0; call < sizes.size(); ++call) {
            QCOMPARE(file.ReadMore(bytes, 4), call + 1 < sizes.size());
            QCOMPARE(bytes.size(), sizes.at(call));
        }
        QCOMPARE(bytes, sizes.isEmpty() ? QByteArray() : content);
        file.Close();
        QVERIFY(!file.ReadMore(bytes, 4));
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestFileSystem)
#include "tst_filesystem.moc"
