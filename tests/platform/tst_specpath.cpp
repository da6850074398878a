#include "platform/SpecPath.h"
#include "platform/TextFile.h"

#include <QtTest>

using namespace kelvarin;

namespace {

void Touch(const QString &nativePath)
{
    QDir().mkpath(QFileInfo(nativePath).path());
    QFile file(nativePath);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(nativePath));
}

} // namespace

class TestSpecPath : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_base;
    QString m_savedCwd;

private slots:
    void initTestCase() { m_savedCwd = QDir::currentPath(); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_base = m_dir->path();
        Touch(m_base + QStringLiteral("/Engine/Classes/Actor.uc"));
        Touch(m_base + QStringLiteral("/Core/Classes/Object.uc"));
    }

    void cleanup()
    {
        QDir::setCurrent(m_savedCwd);
        m_dir.reset();
    }

    void toNative_data()
    {
        QTest::addColumn<QString>("written");    // <base>: the base directory, <\base>: the same with backslashes
        QTest::addColumn<QString>("expected");   // relative to the base directory
        QTest::newRow("as written") << "<base>\\Engine\\Classes\\Actor.uc" << "/Engine/Classes/Actor.uc";
        QTest::newRow("wrong case everywhere") << "<base>\\engine\\CLASSES\\actor.UC" << "/Engine/Classes/Actor.uc";
        QTest::newRow("slashes kept") << "<base>/ENGINE/classes/ACTOR.uc" << "/Engine/Classes/Actor.uc";
        QTest::newRow("leading backslash is rooted") << "<\\base>\\ENGINE\\Classes\\actor.uc" << "/Engine/Classes/Actor.uc";
        QTest::newRow("missing file keeps its name") << "<base>\\engine\\classes\\NewOne.uc" << "/Engine/Classes/NewOne.uc";
        QTest::newRow("missing dir keeps the rest as written")
            << "<base>\\engine\\Nothing\\CLASSES\\actor.uc" << "/Engine/Nothing/CLASSES/actor.uc";
        QTest::newRow("trailing backslash") << "<base>\\core\\classes\\" << "/Core/Classes/";
        QTest::newRow("dot components") << "<base>\\.\\CORE\\.\\classes" << "/./Core/./Classes";
        QTest::newRow("dot dot") << "<base>\\core\\..\\ENGINE\\classes" << "/Core/../Engine/Classes";
    }

    void toNative()
    {
        QFETCH(QString, written);
        QFETCH(QString, expected);
        written.replace(QStringLiteral("<base>"), m_base);
        written.replace(QStringLiteral("<\\base>"), QString(m_base).replace(QLatin1Char('/'), QLatin1Char('\\')));
        QCOMPARE(SpecPath::ToNative(written), m_base + expected);
    }

    void relativePathsFollowTheWorkingDirectory()
    {
        QVERIFY(QDir::setCurrent(m_base));
        QCOMPARE(SpecPath::ToNative(QStringLiteral(".\\engine\\classes\\ACTOR.uc")), QStringLiteral("./Engine/Classes/Actor.uc"));
        QCOMPARE(SpecPath::ToNative(QStringLiteral("core\\CLASSES\\object.uc")), QStringLiteral("Core/Classes/Object.uc"));
        QCOMPARE(SpecPath::ToNative(QStringLiteral("Default\\Default.Kelvar")), QStringLiteral("Default/Default.Kelvar"));
        QTemporaryDir other;
        Touch(other.path() + QStringLiteral("/SYSTEM/x.ini"));
        QVERIFY(QDir::setCurrent(other.path()));
        QCOMPARE(SpecPath::ToNative(QStringLiteral("system\\X.INI")), QStringLiteral("SYSTEM/x.ini"));
        QCOMPARE(SpecPath::ToNative(QStringLiteral("core")), QStringLiteral("core"));
    }

    void sameNameInTwoCasesFirstInByteOrderWins()
    {
        const QString dir = m_base + QStringLiteral("/Twins");
        for (const char *name : {"/readme.txt", "/ReadMe.TXT", "/README.txt"})
            Touch(dir + QLatin1String(name));
        if (QDir(dir).entryList(QDir::Files).size() != 3)
            QSKIP("this file system does not keep names that differ only in case apart");
        // "README.txt" < "ReadMe.TXT" < "readme.txt" in byte order.
        QCOMPARE(SpecPath::ToNative(m_base + QStringLiteral("\\twins\\Readme.txt")), dir + QStringLiteral("/README.txt"));
        // A name that exists as written is taken as it is.
        QCOMPARE(SpecPath::ToNative(m_base + QStringLiteral("\\Twins\\readme.txt")), dir + QStringLiteral("/readme.txt"));
        QCOMPARE(SpecPath::ToNative(m_base + QStringLiteral("\\Twins\\readme.txt\\")), dir + QStringLiteral("/readme.txt/"));
    }

    // Files written by this program or behind its back after a lookup listed
    // their directory are found, and removed ones are no longer offered.
    void listingsFollowTheDirectory()
    {
        const QString written = m_base + QStringLiteral("\\engine\\classes\\NEWCLASS.uc");
        QCOMPARE(SpecPath::ToNative(written), m_base + QStringLiteral("/Engine/Classes/NEWCLASS.uc"));
        QVERIFY(TextFile::WriteLines(m_base + QStringLiteral("\\Engine\\Classes\\NewClass.uc"), {QStringLiteral("x")}));
        QCOMPARE(SpecPath::ToNative(written), m_base + QStringLiteral("/Engine/Classes/NewClass.uc"));

        QVERIFY(QDir().mkdir(m_base + QStringLiteral("/Fresh")));
        const QString item = m_base + QStringLiteral("\\fresh\\ITEM.txt");
        QCOMPARE(SpecPath::ToNative(item), m_base + QStringLiteral("/Fresh/ITEM.txt"));
        Touch(m_base + QStringLiteral("/Fresh/Item.txt"));
        QCOMPARE(SpecPath::ToNative(item), m_base + QStringLiteral("/Fresh/Item.txt"));
        QVERIFY(QFile::remove(m_base + QStringLiteral("/Fresh/Item.txt")));
        QCOMPARE(SpecPath::ToNative(item), m_base + QStringLiteral("/Fresh/ITEM.txt"));
    }

    void isSafeComponent_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("safe");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("dot") << "." << false;
        QTest::newRow("dot dot") << ".." << false;
        QTest::newRow("slash") << "a/b" << false;
        QTest::newRow("backslash") << "a\\b" << false;
        QTest::newRow("drive") << "C:" << false;
        QTest::newRow("NUL byte") << QString::fromUtf16(u"Core\0.uc", 8) << false;
        QTest::newRow("package") << "Core" << true;
        QTest::newRow("blank inside") << "My Mod" << true;
        QTest::newRow("dots inside") << "x..y" << true;
    }

    void isSafeComponent()
    {
        QFETCH(QString, name);
        QTEST(SpecPath::IsSafeComponent(name), "safe");
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestSpecPath)
#include "tst_specpath.moc"
