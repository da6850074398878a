#include "persist/FileAssociation.h"
#include "persist/Options.h"
#include "support/Raised.h"
#include "support/TempRegistry.h"

#include <QMap>
#include <QTest>

using namespace kelvarin;
using test::kKelvarinKey;
using test::Raised;
using test::TempRegistry;

namespace {

// A store whose key opens but that refuses to store any text.
class RefusingRegistry : public RegFileRegistry
{
public:
    using RegFileRegistry::RegFileRegistry;
    bool SetString(RegRoot, const QString &, const QString &, const QString &) override { return false; }
};

TOptions Sample()
{
    TOptions o;
    o.BaseDir = QStringLiteral("C:\\UnrealTournament");
    o.CommandLine = QStringLiteral("dm-deck16 -log");
    o.bUCCVisibleCompile = true;
    o.bUCCVisibleExport = false;
    o.bTestrunAfterCompile = true;
    o.UCCPriority = 128;
    o.LastCompiledPackage = QStringLiteral("MyMod");
    return o;
}

// The stored options by their stored names, flags as 0/1.
QMap<QString, QVariant> Fields(const TOptions &o)
{
    return {{"BaseDir", o.BaseDir},
            {"CommandLine", o.CommandLine},
            {"bUCCVisibleCompile", int(o.bUCCVisibleCompile)},
            {"bUCCVisibleExport", int(o.bUCCVisibleExport)},
            {"bTestrunAfterCompile", int(o.bTestrunAfterCompile)},
            {"UCCPriority", o.UCCPriority},
            {"LastCompiledPackage", o.LastCompiledPackage},
            {"bReadCompiledPackages", int(o.bReadCompiledPackages)},
            {"bNativeExport", int(o.bNativeExport)}};
}

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT

private slots:
    // Whatever is not stored takes the load defaults; the priority and the
    // editor keep what they held.
    void load_data()
    {
        QTest::addColumn<QString>("name");   // empty: no key at all
        QTest::addColumn<uint>("dword");
        QTest::addColumn<QVariant>("field");
        QTest::newRow("no key") << "" << 0u << QVariant();
        QTest::newRow("priority absent stays") << "BaseDir" << 0u << QVariant();
        QTest::newRow("priority 0 stays 0") << "UCCPriority" << 0u << QVariant(0);
        QTest::newRow("flag 5 is true") << "bUCCVisibleExport" << 5u << QVariant(1);
        QTest::newRow("compiled packages off") << "bReadCompiledPackages" << 0u << QVariant(0);
        QTest::newRow("native export on") << "bNativeExport" << 1u << QVariant(1);
    }

    void load()
    {
        QFETCH(QString, name);
        QFETCH(uint, dword);
        QFETCH(QVariant, field);
        TempRegistry store;
        if (name == QLatin1String("BaseDir"))
            QVERIFY(store.reg.SetString(RegRoot::LocalMachine, kKelvarinKey, name, QStringLiteral("D:\\UT")));
        else if (!name.isEmpty())
            QVERIFY(store.reg.SetDword(RegRoot::LocalMachine, kKelvarinKey, name, dword));
        TOptions o = Sample();
        o.UCCPriority = 77;
        o.UScriptEditCommand = QStringLiteral("vi");
        QCOMPARE(LoadOptions(o, store.reg), !name.isEmpty());

        QMap<QString, QVariant> expected{{"BaseDir", name == "BaseDir" ? "D:\\UT" : "."},
                                         {"CommandLine", "ctf-face"},
                                         {"bUCCVisibleCompile", 0},
                                         {"bUCCVisibleExport", 0},
                                         {"bTestrunAfterCompile", 0},
                                         {"UCCPriority", 77},
                                         {"LastCompiledPackage", ""},
                                         {"bReadCompiledPackages", 1},
                                         {"bNativeExport", 0}};
        if (field.isValid())
            expected[name] = field;
        QCOMPARE(Fields(o), expected);
        QCOMPARE(o.RegistryKey, kKelvarinKey);
        QCOMPARE(o.UScriptEditCommand, name.isEmpty() ? QStringLiteral("vi") : QString());
    }

    void saveThenLoad_data()
    {
        QTest::addColumn<int>("flags");   // 1 visible compile, 2 visible export, 4 test run, 8 compiled packages
        QTest::addColumn<bool>("texts");  // false: every text empty
        QTest::newRow("all flags on") << 31 << true;
        QTest::newRow("all flags off, texts empty") << 0 << false;
        QTest::newRow("compile only") << 1 << true;
        QTest::newRow("export only") << 2 << false;
    }

    void saveThenLoad()
    {
        QFETCH(int, flags);
        QFETCH(bool, texts);
        TempRegistry store;
        TOptions saved;
        saved.BaseDir = texts ? QStringLiteral("D:\\Spiele\\Unreal Tournament \u00df\\") : QString();
        saved.CommandLine = texts ? QStringLiteral(" dm-deck16 -log \"x\" ") : QString();
        saved.bUCCVisibleCompile = flags & 1;
        saved.bUCCVisibleExport = flags & 2;
        saved.bTestrunAfterCompile = flags & 4;
        saved.bReadCompiledPackages = flags & 8;
        saved.bNativeExport = flags & 16;
        saved.UCCPriority = texts ? 256 : 64;
        saved.LastCompiledPackage = texts ? QStringLiteral("MyMod") : QString();
        saved.UScriptEditCommand = texts ? QStringLiteral("C:\\Ed\\ed.exe") : QString();
        QVERIFY(SaveOptions(saved, store.reg, QStringLiteral("/opt/kelvarin")));
        QCOMPARE(saved.RegistryKey, kKelvarinKey);
        // The editor lives in the association of .uc files, not with the options.
        QVERIFY(!store.reg.Value(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("UScriptEditCommand")));
        QCOMPARE(FileAssociation::ReadOpenCommand(store.reg, QStringLiteral(".UC")),
                 texts ? QStringLiteral("C:\\Ed\\ed.exe \"%1\"") : QString());
        // Every value under its own name: flags as 0/1 dwords, texts as strings.
        QMap<QString, QVariant> fields = Fields(saved);
        for (auto it = fields.begin(); it != fields.end(); ++it) {
            const std::optional<RegValue> value = store.reg.Value(RegRoot::LocalMachine, kKelvarinKey, it.key());
            QVERIFY2(value, qPrintable(it.key()));
            if (it.value().typeId() == QMetaType::QString)
                QCOMPARE(value->text, it.value().toString());
            else
                QCOMPARE(value->dword, it.value().toUInt());
        }

        // Read back from the file, as the next start does.
        RegFileRegistry reread(store.path);
        TOptions loaded;
        QVERIFY(LoadOptions(loaded, reread));
        QCOMPARE(Fields(loaded), fields);
        QCOMPARE(loaded.UScriptEditCommand, saved.UScriptEditCommand);
        QCOMPARE(loaded.RegistryKey, saved.RegistryKey);

        // The package compiled last can be stored alone; nothing else changes.
        saved.LastCompiledPackage = QStringLiteral("Other");
        saved.BaseDir = QStringLiteral("E:\\Elsewhere");
        QVERIFY(SaveLastCompiledPackage(saved, store.reg));
        QVERIFY(LoadOptions(loaded, store.reg));
        fields["LastCompiledPackage"] = saved.LastCompiledPackage;
        QCOMPARE(Fields(loaded), fields);

        // What was loaded saves as the same bytes; an empty editor setting
        // leaves the association as it was.
        const QByteArray before = store.Bytes();
        loaded.UScriptEditCommand.clear();
        QVERIFY(SaveOptions(loaded, store.reg, QString()));
        QCOMPARE(store.Bytes(), before);
    }

    void wrongType_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("storeAsDword");
        QTest::addColumn<QString>("baseDirAfter");
        QTest::newRow("BaseDir as dword") << "BaseDir" << true << ".";
        QTest::newRow("flag as text") << "bUCCVisibleCompile" << false << "E:\\UT";
        QTest::newRow("priority as text") << "UCCPriority" << false << "E:\\UT";
        QTest::newRow("package as dword") << "LastCompiledPackage" << true << "E:\\UT";
    }

    void wrongType()
    {
        QFETCH(QString, name);
        QFETCH(bool, storeAsDword);
        QFETCH(QString, baseDirAfter);
        TempRegistry store;
        if (name != "BaseDir")
            QVERIFY(store.reg.SetString(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("BaseDir"), QStringLiteral("E:\\UT")));
        QVERIFY(storeAsDword ? store.reg.SetDword(RegRoot::LocalMachine, kKelvarinKey, name, 1)
                             : store.reg.SetString(RegRoot::LocalMachine, kKelvarinKey, name, QStringLiteral("1")));
        TOptions o;
        QCOMPARE(Raised([&] { LoadOptions(o, store.reg); }), QStringLiteral("Invalid data type for '%1'").arg(name));
        QCOMPARE(o.BaseDir, baseDirAfter);   // what was read before stays
    }

    void unwritableStore()
    {
        TempRegistry store;
        RegFileRegistry blocked(store.BlockedPath());
        TOptions o = Sample();
        QVERIFY(!SaveOptions(o, blocked, QString()));

        // The key opens, but the first value cannot be stored.
        RefusingRegistry refusing(store.path);
        QCOMPARE(Raised([&] { SaveOptions(o, refusing, QString()); }), QStringLiteral("Failed to set data for 'BaseDir'"));
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestOptions)
#include "tst_options.moc"
