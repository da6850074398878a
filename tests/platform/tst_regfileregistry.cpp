#include "platform/RegFileRegistry.h"
#include "support/TempRegistry.h"

#include <QTest>

using namespace kelvarin;
using test::kKelvarinKey;
using test::TempRegistry;

namespace {

const QByteArray kHeader = "Windows Registry Editor Version 5.00\n";

} // namespace

class TestRegFileRegistry : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("value");   // QString or uint
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("plain") << "CommandLine" << QVariant("ctf-face") << QByteArray("\"CommandLine\"=\"ctf-face\"");
        QTest::newRow("backslashes") << "BaseDir" << QVariant("C:\\UnrealTournament\\")
                                     << QByteArray("\"BaseDir\"=\"C:\\\\UnrealTournament\\\\\"");
        QTest::newRow("quotes") << "Say \"hi\"" << QVariant("\"C:\\Ed\\ed.exe\" \"%1\"")
                                << QByteArray("\"Say \\\"hi\\\"\"=\"\\\"C:\\\\Ed\\\\ed.exe\\\" \\\"%1\\\"\"");
        QTest::newRow("default value") << "" << QVariant("UCfile") << QByteArray("@=\"UCfile\"");
        QTest::newRow("empty") << "LastCompiledPackage" << QVariant("") << QByteArray("\"LastCompiledPackage\"=\"\"");
        QTest::newRow("non-ASCII") << "BaseDir" << QVariant("/home/jörg/ßpiele")
                                   << QString("\"BaseDir\"=\"/home/jörg/ßpiele\"").toUtf8();
        QTest::newRow("line break") << "Note" << QVariant("two\r\nlines") << QByteArray("\"Note\"=hex(1):");
        QTest::newRow("dword zero") << "V" << QVariant(0u) << QByteArray("\"V\"=dword:00000000");
        QTest::newRow("dword 32") << "V" << QVariant(32u) << QByteArray("\"V\"=dword:00000020");
        QTest::newRow("dword all bits") << "V" << QVariant(0xffffffffu) << QByteArray("\"V\"=dword:ffffffff");
    }

    void roundTrip()
    {
        QFETCH(QString, name);
        QFETCH(QVariant, value);
        QFETCH(QByteArray, line);
        TempRegistry store;
        const bool isText = value.typeId() == QMetaType::QString;
        QVERIFY(isText ? store.reg.SetString(RegRoot::LocalMachine, kKelvarinKey, name, value.toString())
                       : store.reg.SetDword(RegRoot::LocalMachine, kKelvarinKey, name, value.toUInt()));

        const auto read = RegFileRegistry(store.path).Value(RegRoot::LocalMachine, kKelvarinKey, name);
        QVERIFY(read);
        QCOMPARE(read->type, isText ? RegValue::Type::String : RegValue::Type::Dword);
        QCOMPARE(isText ? QVariant(read->text) : QVariant(read->dword), value);
        const QByteArray file = store.Bytes();
        QVERIFY(file.startsWith(kHeader));
        QVERIFY2(file.contains("\n[HKEY_LOCAL_MACHINE\\Software\\Vexa\\Kelvarin]\n" + line), file);
    }

    void otherTypesKeptAsRead()
    {
        TempRegistry store;
        const QByteArray kept = "; written by hand\n"
                                "\"Blob\"=hex:01,02,\\\n"
                                "  03,04\n"
                                "\"Expand\"=hex(2):25,00,41,00,00,00\n";
        QVERIFY(store.Write(kHeader + "\n[HKEY_LOCAL_MACHINE\\Software\\Vexa\\Kelvarin]\n" + kept));
        for (const char *name : {"Blob", "Expand"}) {
            const auto v = store.reg.Value(RegRoot::LocalMachine, kKelvarinKey, QLatin1String(name));
            QVERIFY(v);
            QCOMPARE(v->type, RegValue::Type::Other);
        }
        QVERIFY(store.reg.SetString(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("BaseDir"), QStringLiteral("C:\\UT")));
        QVERIFY2(store.Bytes().contains(kept), store.Bytes());
        QVERIFY(store.reg.KeptDamagedFile().isEmpty());
    }

    void keysAndNames()
    {
        TempRegistry store;
        RegFileRegistry &reg = store.reg;
        QVERIFY(!reg.OpenKey(RegRoot::LocalMachine, kKelvarinKey, false));
        QVERIFY(!QFile::exists(store.path));   // looking never creates the store
        QVERIFY(reg.SetString(RegRoot::LocalMachine, QStringLiteral("\\Software\\Vexa\\Kelvarin"),
                              QStringLiteral("BaseDir"), QStringLiteral("one")));
        // Key and value names compare case-insensitively, a leading or trailing
        // backslash aside, and keep the case they were first written in.
        QVERIFY(reg.SetString(RegRoot::LocalMachine, QStringLiteral("SOFTWARE\\vexa\\KELVARIN\\"),
                              QStringLiteral("basedir"), QStringLiteral("two")));
        QVERIFY(reg.OpenKey(RegRoot::LocalMachine, QStringLiteral("\\software\\VEXA"), false));
        QVERIFY(!reg.OpenKey(RegRoot::LocalMachine, kKelvarinKey + QStringLiteral("\\Sub"), false));
        QCOMPARE(reg.Value(RegRoot::LocalMachine, QStringLiteral("software\\vexa\\kelvarin"),
                           QStringLiteral("BASEDIR"))->text, QStringLiteral("two"));
        const QByteArray file = store.Bytes();
        QCOMPARE(file.count("[HKEY_LOCAL_MACHINE\\Software\\Vexa\\Kelvarin]"), 1);
        QVERIFY(file.contains("\"BaseDir\"=\"two\"") && !file.contains("basedir"));
        // The two roots are apart; a root key is always there and holds values.
        QVERIFY(!reg.OpenKey(RegRoot::ClassesRoot, kKelvarinKey, false));
        QVERIFY(reg.OpenKey(RegRoot::ClassesRoot, QStringLiteral("\\"), false));
        QVERIFY(reg.SetString(RegRoot::ClassesRoot, QString(), QString(), QStringLiteral("root")));
        QCOMPARE(reg.Value(RegRoot::ClassesRoot, QStringLiteral("\\"), QString())->text, QStringLiteral("root"));
    }

    void changesByAnotherWriterAreSeen()
    {
        TempRegistry store;
        RegFileRegistry second(store.path);
        QVERIFY(store.reg.SetDword(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("A"), 1));
        QVERIFY(second.SetDword(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("B"), 2));
        QCOMPARE(store.reg.Value(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("B"))->dword, 2u);
        QCOMPARE(second.Value(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("A"))->dword, 1u);
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
        TempRegistry store;
        QVERIFY(store.Write(contents));
        RegFileRegistry &reg = store.reg;
        QVERIFY(!reg.OpenKey(RegRoot::LocalMachine, kKelvarinKey, false));
        QVERIFY(!reg.Value(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("BaseDir")));
        QCOMPARE(store.Bytes(), contents);   // reading leaves it alone
        QVERIFY(reg.KeptDamagedFile().isEmpty());

        // Before the first write it is kept beside itself under a new name.
        QVERIFY(reg.SetString(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("CommandLine"),
                              QStringLiteral("dm-deck16")));
        const QString kept = reg.KeptDamagedFile();
        QCOMPARE(QFileInfo(kept).absolutePath(), QFileInfo(store.path).absolutePath());
        QVERIFY2(QFileInfo(kept).fileName().startsWith(QStringLiteral("registry.reg.damaged-")), qPrintable(kept));
        QCOMPARE(store.Bytes(kept), contents);
        // The fresh store holds the new value and nothing of the damaged one.
        QCOMPARE(reg.Value(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("CommandLine"))->text,
                 QStringLiteral("dm-deck16"));
        QVERIFY(!reg.Value(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("BaseDir")));

        // A second damaged store gets a name of its own.
        QVERIFY(store.Write("second\n"));
        QVERIFY(reg.OpenKey(RegRoot::LocalMachine, kKelvarinKey, true));
        QVERIFY(reg.KeptDamagedFile() != kept);
        QCOMPARE(store.Bytes(kept), contents);
        QCOMPARE(store.Bytes(reg.KeptDamagedFile()), QByteArray("second\n"));
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
        xdg.isEmpty() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", xdg);
        const QString path = RegFileRegistry::DefaultPath();
        wasSet ? qputenv("XDG_CONFIG_HOME", saved) : qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(path, expected);
    }
};

QTEST_GUILESS_MAIN(TestRegFileRegistry)
#include "tst_regfileregistry.moc"
