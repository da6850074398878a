#include "platform/FileSystem.h"
#include "platform/ReadOnlyFile.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
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

QStringList Sorted(QStringList names)
{
    names.sort();
    return names;
}

} // namespace

class TestFileSystem : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_base;

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_base = m_dir->path();
        // Dir/ holds files of several extensions and two directories.
        for (const char *name : {"A.uc", "B.UC", "c.Uc", "d.ucx", "e.u"})
            Put(m_base + QStringLiteral("/Dir/") + QLatin1String(name), "x");
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
        QTest::newRow("*.uc files, any case") << "\\Dir\\*.uc" << files << QStringList{"A.uc", "B.UC", "c.Uc"};
        QTest::newRow("pattern in upper case") << "\\Dir\\*.UC" << files << QStringList{"A.uc", "B.UC", "c.Uc"};
        QTest::newRow("directory in wrong case") << "\\dIR\\*.uc" << files << QStringList{"A.uc", "B.UC", "c.Uc"};
        QTest::newRow("* directories only") << "\\Dir\\*" << dirs << QStringList{"Sub", "x.uc"};
        QTest::newRow("*.uc everything") << "\\Dir\\*.uc" << all << QStringList{"A.uc", "B.UC", "c.Uc", "x.uc"};
        QTest::newRow("? one character") << "\\Dir\\?.u" << files << QStringList{"e.u"};
        QTest::newRow("? at the end") << "\\Dir\\d.uc?" << files << QStringList{"d.ucx"};
        QTest::newRow("? does not match nothing") << "\\Dir\\??.uc" << all << QStringList{};
        QTest::newRow("exact name") << "\\Dir\\b.uc" << files << QStringList{"B.UC"};
        QTest::newRow("missing directory") << "\\Nowhere\\*" << all << QStringList{};
        QTest::newRow("empty pattern") << "\\Dir\\" << all << QStringList{};
    }

    void list()
    {
        QFETCH(QString, pattern);
        QFETCH(int, what);
        QFETCH(QStringList, expected);
        QCOMPARE(Sorted(FileSystem::List(m_base + pattern, FileSystem::ListWhat(what))), expected);
    }

    void anyMatch_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("expected");
        QTest::newRow("sources") << "\\dir\\*.UC" << true;
        QTest::newRow("a directory counts") << "\\Dir\\sub" << true;
        QTest::newRow("no such extension") << "\\Dir\\*.int" << false;
        QTest::newRow("missing directory") << "\\Nowhere\\*.uc" << false;
    }

    void anyMatch()
    {
        QFETCH(QString, pattern);
        QFETCH(bool, expected);
        QCOMPARE(FileSystem::AnyMatch(m_base + pattern), expected);
    }

    void exists_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("file");
        QTest::addColumn<bool>("dir");
        QTest::newRow("file as written") << "\\Dir\\A.uc" << true << false;
        QTest::newRow("file in wrong case") << "\\DIR\\a.UC" << true << false;
        QTest::newRow("directory in wrong case") << "\\dir\\SUB" << false << true;
        QTest::newRow("directory named like a source") << "\\Dir\\X.UC" << false << true;
        QTest::newRow("missing") << "\\Dir\\none.uc" << false << false;
    }

    void exists()
    {
        QFETCH(QString, path);
        QFETCH(bool, file);
        QFETCH(bool, dir);
        QCOMPARE(FileSystem::FileExists(m_base + path), file);
        QCOMPARE(FileSystem::DirExists(m_base + path), dir);
    }

    void removeFile()
    {
        QVERIFY(FileSystem::RemoveFile(m_base + QStringLiteral("\\dir\\b.uc")));
        QVERIFY(!QFile::exists(m_base + QStringLiteral("/Dir/B.UC")));
        QVERIFY(!FileSystem::RemoveFile(m_base + QStringLiteral("\\Dir\\B.UC")));
        QVERIFY(!FileSystem::RemoveFile(m_base + QStringLiteral("\\Dir\\Sub")));
        QVERIFY(QDir(m_base + QStringLiteral("/Dir/Sub")).exists());
        QCOMPARE(Sorted(FileSystem::List(m_base + QStringLiteral("\\Dir\\*.uc"), FileSystem::ListWhat::Files)),
                 (QStringList{"A.uc", "c.Uc"}));
    }

    void removeDirOnlyWhenEmpty()
    {
        QVERIFY(!FileSystem::RemoveDir(m_base + QStringLiteral("\\DIR")));
        QVERIFY(QFile::exists(m_base + QStringLiteral("/Dir/A.uc")));
        QVERIFY(FileSystem::RemoveDir(m_base + QStringLiteral("\\dir\\sub\\")));
        QVERIFY(!QFileInfo::exists(m_base + QStringLiteral("/Dir/Sub")));
        QVERIFY(!FileSystem::RemoveDir(m_base + QStringLiteral("\\Dir\\Sub")));
    }

    void makeDir()
    {
        QVERIFY(FileSystem::MakeDir(m_base + QStringLiteral("\\Default")));
        QVERIFY(QFileInfo(m_base + QStringLiteral("/Default")).isDir());
        QVERIFY(FileSystem::DirExists(m_base + QStringLiteral("\\DEFAULT")));
        QVERIFY(!FileSystem::MakeDir(m_base + QStringLiteral("\\default")));   // already there
        QVERIFY(!FileSystem::MakeDir(m_base + QStringLiteral("\\No\\Parent")));
    }

    void readOnlyFileOpensThroughWrongCase()
    {
        Put(m_base + QStringLiteral("/Engine/Classes/Actor.uc"), "class Actor;");
        ReadOnlyFile file;
        QVERIFY(file.Open(m_base + QStringLiteral("\\ENGINE\\classes\\actor.uc")));
        QByteArray bytes;
        QVERIFY(!file.ReadMore(bytes, 100));
        QCOMPARE(bytes, QByteArray("class Actor;"));
    }

    void readOnlyFileRefuses_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("directory") << "\\Dir\\Sub";
        QTest::newRow("directory in wrong case") << "\\dir\\x.UC";
        QTest::newRow("missing") << "\\Dir\\none.uc";
    }

    void readOnlyFileRefuses()
    {
        QFETCH(QString, path);
        ReadOnlyFile file;
        QVERIFY(!file.Open(m_base + path));
        QByteArray bytes("kept");
        QVERIFY(!file.ReadMore(bytes, 4));
        QCOMPARE(bytes, QByteArray("kept"));
    }

    void readMoreInChunks_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QList<int>>("sizes");   // size after each call; the last call returns false
        QTest::newRow("ten bytes by four") << QByteArray("0123456789") << QList<int>{4, 8, 10};
        QTest::newRow("eight bytes by four") << QByteArray("01234567") << QList<int>{4, 8, 8};
        QTest::newRow("empty file") << QByteArray() << QList<int>{0};
    }

    void readMoreInChunks()
    {
        QFETCH(QByteArray, content);
        QFETCH(QList<int>, sizes);
        Put(m_base + QStringLiteral("/data.bin"), content);
        ReadOnlyFile file;
        QVERIFY(file.Open(m_base + QStringLiteral("\\DATA.bin")));
        QByteArray bytes;
        for (qsizetype call = 0; call < sizes.size(); ++call) {
            const bool more = file.ReadMore(bytes, 4);
            QCOMPARE(more, call + 1 < sizes.size());
            QCOMPARE(bytes.size(), sizes.at(call));
        }
        QCOMPARE(bytes, content);
        file.Close();
        QVERIFY(!file.ReadMore(bytes, 4));
    }
};

QTEST_GUILESS_MAIN(TestFileSystem)
#include "tst_filesystem.moc"
