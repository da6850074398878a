#include "platform/SpecPath.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

using namespace kelvarin;

namespace {

void Touch(const QString &nativePath)
{
    QDir().mkpath(QFileInfo(nativePath).path());
    QFile file(nativePath);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(nativePath));
}

// The same directory written the Windows way: "/tmp/x" becomes "\tmp\x".
QString Backslashed(const QString &nativePath)
{
    return QString(nativePath).replace(QLatin1Char('/'), QLatin1Char('\\'));
}

} // namespace

class TestSpecPath : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_base;
    QString m_savedCwd;

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        m_savedCwd = QDir::currentPath();
    }

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
        QTest::addColumn<QString>("tail");       // appended to the base directory
        QTest::addColumn<QString>("expected");   // relative to the base directory
        QTest::newRow("as written") << "\\Engine\\Classes\\Actor.uc" << "/Engine/Classes/Actor.uc";
        QTest::newRow("wrong case everywhere") << "\\engine\\CLASSES\\actor.UC" << "/Engine/Classes/Actor.uc";
        QTest::newRow("slashes kept") << "/ENGINE/classes/ACTOR.uc" << "/Engine/Classes/Actor.uc";
        QTest::newRow("missing file keeps its name") << "\\engine\\classes\\NewOne.uc" << "/Engine/Classes/NewOne.uc";
        QTest::newRow("missing dir keeps the rest as written")
            << "\\engine\\Nothing\\CLASSES\\actor.uc" << "/Engine/Nothing/CLASSES/actor.uc";
        QTest::newRow("trailing backslash") << "\\core\\classes\\" << "/Core/Classes/";
        QTest::newRow("dot components") << "\\.\\CORE\\.\\classes" << "/./Core/./Classes";
        QTest::newRow("dot dot") << "\\core\\..\\ENGINE\\classes" << "/Core/../Engine/Classes";
    }

    void toNative()
    {
        QFETCH(QString, tail);
        QFETCH(QString, expected);
        QCOMPARE(SpecPath::ToNative(m_base + tail), m_base + expected);
    }

    void leadingBackslashIsRooted()
    {
        const QString written = Backslashed(m_base) + QStringLiteral("\\ENGINE\\Classes\\actor.uc");
        QVERIFY(written.startsWith(QLatin1Char('\\')));
        QCOMPARE(SpecPath::ToNative(written), m_base + QStringLiteral("/Engine/Classes/Actor.uc"));
    }

    void relativePaths_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("expected");
        QTest::newRow("dot first") << ".\\engine\\classes\\ACTOR.uc" << "./Engine/Classes/Actor.uc";
        QTest::newRow("bare relative") << "core\\CLASSES\\object.uc" << "Core/Classes/Object.uc";
        QTest::newRow("relative missing") << "Default\\Default.Kelvar" << "Default/Default.Kelvar";
    }

    void relativePaths()
    {
        QFETCH(QString, written);
        QFETCH(QString, expected);
        QVERIFY(QDir::setCurrent(m_base));
        QCOMPARE(SpecPath::ToNative(written), expected);
    }

    void sameNameInTwoCasesFirstInByteOrderWins()
    {
        const QString dir = m_base + QStringLiteral("/Twins");
        Touch(dir + QStringLiteral("/readme.txt"));
        Touch(dir + QStringLiteral("/ReadMe.TXT"));
        Touch(dir + QStringLiteral("/README.txt"));
        if (QDir(dir).entryList(QDir::Files).size() != 3)
            QSKIP("this file system does not keep names that differ only in case apart");
        // "README.txt" < "ReadMe.TXT" < "readme.txt" in byte order.
        QCOMPARE(SpecPath::ToNative(m_base + QStringLiteral("\\twins\\Readme.txt")),
                 dir + QStringLiteral("/README.txt"));
        // A name that exists as written is taken as it is.
        QCOMPARE(SpecPath::ToNative(m_base + QStringLiteral("\\Twins\\readme.txt")),
                 dir + QStringLiteral("/readme.txt"));
    }

    void fileWrittenAfterALookupIsFound()
    {
        const QString written = m_base + QStringLiteral("\\engine\\classes\\NEWCLASS.uc");
        QCOMPARE(SpecPath::ToNative(written), m_base + QStringLiteral("/Engine/Classes/NEWCLASS.uc"));
        QVERIFY(TextFile::WriteLines(m_base + QStringLiteral("\\Engine\\Classes\\NewClass.uc"),
                                     {QStringLiteral("class NewClass extends Actor;")}));
        QCOMPARE(SpecPath::ToNative(written), m_base + QStringLiteral("/Engine/Classes/NewClass.uc"));
    }

    void fileMadeByAnotherProgramIsFound()
    {
        // A file created behind the program's back, right after the first
        // lookup listed its (new) directory.
        QVERIFY(QDir().mkdir(m_base + QStringLiteral("/Fresh")));
        const QString written = m_base + QStringLiteral("\\fresh\\ITEM.txt");
        QCOMPARE(SpecPath::ToNative(written), m_base + QStringLiteral("/Fresh/ITEM.txt"));
        Touch(m_base + QStringLiteral("/Fresh/Item.txt"));
        QCOMPARE(SpecPath::ToNative(written), m_base + QStringLiteral("/Fresh/Item.txt"));
        // And one removed behind its back is no longer offered.
        QVERIFY(QFile::remove(m_base + QStringLiteral("/Fresh/Item.txt")));
        QCOMPARE(SpecPath::ToNative(written), m_base + QStringLiteral("/Fresh/ITEM.txt"));
    }

    void relativeLookupFollowsTheWorkingDirectory()
    {
        QTemporaryDir other;
        QVERIFY(other.isValid());
        Touch(other.path() + QStringLiteral("/SYSTEM/x.ini"));
        QVERIFY(QDir::setCurrent(m_base));
        QCOMPARE(SpecPath::ToNative(QStringLiteral("core")), QStringLiteral("Core"));
        QVERIFY(QDir::setCurrent(other.path()));
        QCOMPARE(SpecPath::ToNative(QStringLiteral("system\\X.INI")), QStringLiteral("SYSTEM/x.ini"));
        QCOMPARE(SpecPath::ToNative(QStringLiteral("core")), QStringLiteral("core"));
    }

    void displayShowsTheNativePath()
    {
        QCOMPARE(SpecPath::Display(m_base + QStringLiteral("\\ENGINE\\classes\\actor.uc")),
                 QDir::toNativeSeparators(m_base + QStringLiteral("/Engine/Classes/Actor.uc")));
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
        QTest::newRow("package") << "Core" << true;
        QTest::newRow("blank inside") << "My Mod" << true;
        QTest::newRow("dots inside") << "x..y" << true;
    }

    void isSafeComponent()
    {
        QFETCH(QString, name);
        QFETCH(bool, safe);
        QCOMPARE(SpecPath::IsSafeComponent(name), safe);
    }
};

QTEST_GUILESS_MAIN(TestSpecPath)
#include "tst_specpath.moc"
