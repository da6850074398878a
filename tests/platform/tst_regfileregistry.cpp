#include "platform/RegFileRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace kelvarin;

namespace {

const QByteArray kHeader = "Windows Registry Editor Version 5.00\n";
const QString kKey = QStringLiteral("\\Software\\Vexa\\Kelvarin");

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestRegFileRegistry : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("Kelvarin/registry.reg"));
        QFile::remove(m_path);
    }

    void stringRoundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("plain") << "CommandLine" << "ctf-face" << QByteArray("\"CommandLine\"=\"ctf-face\"");
        QTest::newRow("backslashes") << "BaseDir" << "C:\\UnrealTournament\\"
                                     << QByteArray("\"BaseDir\"=\"C:\\\\UnrealTournament\\\\\"");
        QTest::newRow("quotes") << "Say \"hi\"" << "\"C:\\Ed\\ed.exe\" \"%1\""
                                << QByteArray("\"Say \\\"hi\\\"\"=\"\\\"C:\\\\Ed\\\\ed.exe\\\" \\\"%1\\\"\"");
        QTest::newRow("default value") << "" << "UCfile" << QByteArray("@=\"UCfile\"");
        QTest::newRow("empty") << "LastCompiledPackage" << "" << QByteArray("\"LastCompiledPackage\"=\"\"");
        QTest::newRow("non-ASCII") << "BaseDir" << "/home/jörg/ßpiele"
                                   << QString("\"BaseDir\"=\"/home/jörg/ßpiele\"").toUtf8();
        QTest::newRow("line break") << "Note" << "two\r\nlines" << QByteArray("\"Note\"=hex(1):");
    }

    void stringRoundTrip()
    {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QByteArray, line);
        QVERIFY(RegFileRegistry(m_path).SetString(RegRoot::LocalMachine, kKey, name, value));

        RegFileRegistry other(m_path);
        const auto read = other.Value(RegRoot::LocalMachine, kKey, name);
        QVERIFY(read);
        QCOMPARE(read->type, RegValue::Type::String);
        QCOMPARE(read->text, value);
        const QByteArray file = ReadAll(m_path);
        QVERIFY(file.startsWith(kHeader));
        QVERIFY2(file.contains("\n[HKEY_LOCAL_MACHINE\\Software\\Vexa\\Kelvarin]\n" + line), file);
    }

    void dwordRoundTrip_data()
    {
        QTest::addColumn<quint32>("value");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("zero") << 0u << QByteArray("\"V\"=dword:00000000");
        QTest::newRow("32") << 32u << QByteArray("\"V\"=dword:00000020");
        QTest::newRow("all bits") << 0xffffffffu << QByteArray("\"V\"=dword:ffffffff");
    }

    void dwordRoundTrip()
    {
        QFETCH(quint32, value);
        QFETCH(QByteArray, line);
        QVERIFY(RegFileRegistry(m_path).SetDword(RegRoot::ClassesRoot, QStringLiteral("\\.UC"),
                                                 QStringLiteral("V"), value));
        const auto read = RegFileRegistry(m_path).Value(RegRoot::ClassesRoot, QStringLiteral(".UC"),
                                                        QStringLiteral("V"));
        QVERIFY(read);
        QCOMPARE(read->type, RegValue::Type::Dword);
        QCOMPARE(read->dword, value);
        QVERIFY(ReadAll(m_path).contains("[HKEY_CLASSES_ROOT\\.UC]\n" + line));
    }

    void otherTypesKeptAsRead()
    {
        const QByteArray kept = "; written by hand\n"
                                "\"Blob\"=hex:01,02,\\\n"
                                "  03,04\n"
                                "\"Expand\"=hex(2):25,00,41,00,00,00\n";
        WriteAll(m_path, kHeader + "\n[HKEY_LOCAL_MACHINE\\Software\\Vexa\\Kelvarin]\n" + kept);
        RegFileRegistry reg(m_path);
        for (const char *name : {"Blob", "Expand"}) {
            const auto v = reg.Value(RegRoot::LocalMachine, kKey, QLatin1String(name));
            QVERIFY(v);
            QCOMPARE(v->type, RegValue::Type::Other);
        }
        QVERIFY(reg.SetString(RegRoot::LocalMachine, kKey, QStringLiteral("BaseDir"), QStringLiteral("C:\\UT")));
        QVERIFY2(ReadAll(m_path).contains(kept), ReadAll(m_path));
        QVERIFY(reg.KeptDamagedFile().isEmpty());
    }

    void namesCompareCaseInsensitively()
    {
        RegFileRegistry reg(m_path);
        QVERIFY(reg.SetString(RegRoot::LocalMachine, QStringLiteral("\\Software\\Vexa\\Kelvarin"),
                              QStringLiteral("BaseDir"), QStringLiteral("one")));
        QVERIFY(reg.SetString(RegRoot::LocalMachine, QStringLiteral("SOFTWARE\\vexa\\KELVARIN\\"),
                              QStringLiteral("basedir"), QStringLiteral("two")));
        QVERIFY(reg.OpenKey(RegRoot::LocalMachine, QStringLiteral("\\software\\VEXA"), false));
        const auto v = reg.Value(RegRoot::LocalMachine, QStringLiteral("software\\vexa\\kelvarin"),
                                 QStringLiteral("BASEDIR"));
        QVERIFY(v);
        QCOMPARE(v->text, QStringLiteral("two"));
        // The names keep the case they were first written in, once each.
        const QByteArray file = ReadAll(m_path);
        QCOMPARE(file.count("[HKEY_LOCAL_MACHINE\\Software\\Vexa\\Kelvarin]"), 1);
        QVERIFY(file.contains("\"BaseDir\"=\"two\""));
        QVERIFY(!file.contains("basedir"));
        // The two roots are apart.
        QVERIFY(!reg.Value(RegRoot::ClassesRoot, kKey, QStringLiteral("BaseDir")));
    }

    void openKey()
    {
        RegFileRegistry reg(m_path);
        QVERIFY(!reg.OpenKey(RegRoot::LocalMachine, kKey, false));
        QVERIFY(!QFile::exists(m_path)); // looking never creates the store
        QVERIFY(!reg.Value(RegRoot::LocalMachine, kKey, QStringLiteral("BaseDir")));

        QVERIFY(reg.OpenKey(RegRoot::LocalMachine, kKey, true));
        QVERIFY(reg.OpenKey(RegRoot::LocalMachine, kKey, false));
        QVERIFY(reg.OpenKey(RegRoot::LocalMachine, QStringLiteral("\\Software"), false));
        QVERIFY(!reg.OpenKey(RegRoot::LocalMachine, kKey + QStringLiteral("\\Sub"), false));
        QVERIFY(!reg.OpenKey(RegRoot::ClassesRoot, kKey, false));
        QVERIFY(ReadAll(m_path).contains("[HKEY_LOCAL_MACHINE\\Software\\Vexa]"));

        // A root key is always there and can hold values of its own.
        QVERIFY(reg.OpenKey(RegRoot::ClassesRoot, QStringLiteral("\\"), false));
        QVERIFY(reg.SetString(RegRoot::ClassesRoot, QString(), QString(), QStringLiteral("root")));
        QCOMPARE(reg.Value(RegRoot::ClassesRoot, QStringLiteral("\\"), QString())->text, QStringLiteral("root"));
    }

    void changesByAnotherWriterAreSeen()
    {
        RegFileRegistry first(m_path);
        RegFileRegistry second(m_path);
        QVERIFY(first.SetDword(RegRoot::LocalMachine, kKey, QStringLiteral("A"), 1));
        QVERIFY(second.SetDword(RegRoot::LocalMachine, kKey, QStringLiteral("B"), 2));
        QCOMPARE(first.Value(RegRoot::LocalMachine, kKey, QStringLiteral("B"))->dword, 2u);
        QCOMPARE(second.Value(RegRoot::LocalMachine, kKey, QStringLiteral("A"))->dword, 1u);
    }

    void damagedStore_data()
    {
        QTest::addColumn<QByteArray>("contents");
        const QByteArray key = "[HKEY_LOCAL_MACHINE\\Software\\Vexa\\Kelvarin]\n";
        QTest::newRow("no header") << QByteArray(key + "\"BaseDir\"=\"C:\\\\UT\"\n");
        QTest::newRow("older header") << QByteArray("REGEDIT4\n\n" + key + "\"BaseDir\"=\"x\"\n");
        QTest::newRow("stray line") << QByteArray(kHeader + key + "BaseDir=C:\\UT\n");
        QTest::newRow("open quote") << QByteArray(kHeader + key + "\"BaseDir\"=\"C:\\UT\n");
        QTest::newRow("bad dword") << QByteArray(kHeader + key + "\"UCCPriority\"=dword:zz\n");
        QTest::newRow("value before key") << QByteArray(kHeader + "\"BaseDir\"=\"x\"\n" + key);
        QTest::newRow("not UTF-8") << QByteArray(kHeader + key + "\"BaseDir\"=\"C:\\\\J\xf6rg\"\n");
    }

    void damagedStore()
    {
        QFETCH(QByteArray, contents);
        WriteAll(m_path, contents);
        RegFileRegistry reg(m_path);
        QVERIFY(!reg.OpenKey(RegRoot::LocalMachine, kKey, false));
        QVERIFY(!reg.Value(RegRoot::LocalMachine, kKey, QStringLiteral("BaseDir")));
        QCOMPARE(ReadAll(m_path), contents); // reading leaves it alone
        QVERIFY(reg.KeptDamagedFile().isEmpty());

        QVERIFY(reg.SetString(RegRoot::LocalMachine, kKey, QStringLiteral("CommandLine"),
                              QStringLiteral("dm-deck16")));
        const QString kept = reg.KeptDamagedFile();
        QVERIFY(!kept.isEmpty());
        QCOMPARE(QFileInfo(kept).absolutePath(), QFileInfo(m_path).absolutePath());
        QVERIFY2(QFileInfo(kept).fileName().startsWith(QStringLiteral("registry.reg.damaged-")), qPrintable(kept));
        QCOMPARE(ReadAll(kept), contents);
        // The fresh store holds the new value and nothing of the damaged one.
        QCOMPARE(reg.Value(RegRoot::LocalMachine, kKey, QStringLiteral("CommandLine"))->text,
                 QStringLiteral("dm-deck16"));
        QVERIFY(!reg.Value(RegRoot::LocalMachine, kKey, QStringLiteral("BaseDir")));
    }

    void secondDamagedFileGetsItsOwnName()
    {
        RegFileRegistry reg(m_path);
        QStringList kept;
        for (const QByteArray &garbage : {QByteArray("first\n"), QByteArray("second\n")}) {
            WriteAll(m_path, garbage);
            QVERIFY(reg.OpenKey(RegRoot::LocalMachine, kKey, true));
            kept << reg.KeptDamagedFile();
        }
        QVERIFY(kept[0] != kept[1]);
        QCOMPARE(ReadAll(kept[0]), QByteArray("first\n"));
        QCOMPARE(ReadAll(kept[1]), QByteArray("second\n"));
    }

    void unwritableStore()
    {
        // The store's folder is a regular file: nothing can be created there.
        WriteAll(m_dir.filePath(QStringLiteral("blocked")), "not a folder");
        RegFileRegistry reg(m_dir.filePath(QStringLiteral("blocked/registry.reg")));
        QVERIFY(!reg.OpenKey(RegRoot::LocalMachine, kKey, true));
        QVERIFY(!reg.SetString(RegRoot::LocalMachine, kKey, QStringLiteral("BaseDir"), QStringLiteral("x")));
        QVERIFY(!reg.SetDword(RegRoot::LocalMachine, kKey, QStringLiteral("UCCPriority"), 32));
        QVERIFY(!reg.OpenKey(RegRoot::LocalMachine, kKey, false));
    }

    void defaultPath_data()
    {
        QTest::addColumn<QByteArray>("xdg");
        QTest::addColumn<QString>("expected");
        QTest::newRow("XDG_CONFIG_HOME set") << QByteArray("/tmp/cfg") << "/tmp/cfg/Kelvarin/registry.reg";
        QTest::newRow("not set") << QByteArray() << QDir::homePath() + "/.config/Kelvarin/registry.reg";
    }

    void defaultPath()
    {
        QFETCH(QByteArray, xdg);
        QFETCH(QString, expected);
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        const bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        if (xdg.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", xdg);
        const QString path = RegFileRegistry::DefaultPath();
        if (wasSet)
            qputenv("XDG_CONFIG_HOME", saved);
        else
            qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(path, expected);
    }
};

QTEST_GUILESS_MAIN(TestRegFileRegistry)
#include "tst_regfileregistry.moc"
