#include "persist/FileAssociation.h"
#include "persist/Options.h"
#include "platform/Errors.h"
#include "platform/RegFileRegistry.h"

#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

using namespace kelvarin;

namespace {

const QString kKey = QStringLiteral("\\Software\\Vexa\\Kelvarin");

// Passes everything to the store, records the names of the values set and
// refuses to store the value named failAt.
class RecordingRegistry : public Registry
{
public:
    explicit RecordingRegistry(Registry &inner) : m_inner(inner) {}
    QStringList written;
    QString failAt;

    bool OpenKey(RegRoot root, const QString &path, bool create) override
    {
        return m_inner.OpenKey(root, path, create);
    }
    std::optional<RegValue> Value(RegRoot root, const QString &path, const QString &name) override
    {
        return m_inner.Value(root, path, name);
    }
    bool SetString(RegRoot root, const QString &path, const QString &name, const QString &value) override
    {
        return Record(name) && m_inner.SetString(root, path, name, value);
    }
    bool SetDword(RegRoot root, const QString &path, const QString &name, quint32 value) override
    {
        return Record(name) && m_inner.SetDword(root, path, name, value);
    }

private:
    bool Record(const QString &name)
    {
        written << name;
        return name != failAt;
    }
    Registry &m_inner;
};

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

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

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("registry.reg"));
        QFile::remove(m_path);
    }

    void missingKeyGivesLoadDefaults()
    {
        RegFileRegistry reg(m_path);
        TOptions o = Sample();
        o.UCCPriority = 77;
        o.UScriptEditCommand = QStringLiteral("vi");
        QVERIFY(!o.LoadOptions(reg));
        QCOMPARE(o.BaseDir, QStringLiteral("."));
        QCOMPARE(o.CommandLine, QStringLiteral("ctf-face"));
        QVERIFY(!o.bUCCVisibleCompile && !o.bUCCVisibleExport && !o.bTestrunAfterCompile);
        QCOMPARE(o.LastCompiledPackage, QString());
        QCOMPARE(o.RegistryKey, kKey);
        QCOMPARE(o.UCCPriority, 77);
        QCOMPARE(o.UScriptEditCommand, QStringLiteral("vi"));
    }

    void saveThenLoad()
    {
        RegFileRegistry reg(m_path);
        RecordingRegistry recorder(reg);
        TOptions saved = Sample();
        QVERIFY(saved.SaveOptions(recorder, QStringLiteral("/opt/kelvarin")));
        QCOMPARE(recorder.written,
                 QStringList({"BaseDir", "CommandLine", "bUCCVisibleCompile", "bUCCVisibleExport",
                              "bTestrunAfterCompile", "UCCPriority", "LastCompiledPackage"}));
        QCOMPARE(saved.RegistryKey, kKey);

        // Flags are stored as 0/1 dwords, texts as strings.
        QCOMPARE(reg.Value(RegRoot::LocalMachine, kKey, QStringLiteral("bUCCVisibleCompile"))->dword, 1u);
        QCOMPARE(reg.Value(RegRoot::LocalMachine, kKey, QStringLiteral("bUCCVisibleExport"))->dword, 0u);
        QCOMPARE(reg.Value(RegRoot::LocalMachine, kKey, QStringLiteral("BaseDir"))->type,
                 RegValue::Type::String);

        TOptions loaded;
        QVERIFY(loaded.LoadOptions(reg));
        QCOMPARE(loaded.BaseDir, saved.BaseDir);
        QCOMPARE(loaded.CommandLine, saved.CommandLine);
        QCOMPARE(loaded.bUCCVisibleCompile, true);
        QCOMPARE(loaded.bUCCVisibleExport, false);
        QCOMPARE(loaded.bTestrunAfterCompile, true);
        QCOMPARE(loaded.UCCPriority, 128);
        QCOMPARE(loaded.LastCompiledPackage, QStringLiteral("MyMod"));
    }

    void storedDwords_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<quint32>("dword");
        QTest::addColumn<int>("field");
        QTest::newRow("priority 0 stays 0") << "UCCPriority" << 0u << 0;
        QTest::newRow("priority 256") << "UCCPriority" << 256u << 256;
        QTest::newRow("flag 5 is true") << "bUCCVisibleExport" << 5u << 1;
        QTest::newRow("flag 0 is false") << "bTestrunAfterCompile" << 0u << 0;
    }

    void storedDwords()
    {
        QFETCH(QString, name);
        QFETCH(quint32, dword);
        QFETCH(int, field);
        RegFileRegistry reg(m_path);
        QVERIFY(reg.SetDword(RegRoot::LocalMachine, kKey, name, dword));
        TOptions o;
        o.bTestrunAfterCompile = true;
        QVERIFY(o.LoadOptions(reg));
        const QMap<QString, int> fields{{"UCCPriority", o.UCCPriority},
                                        {"bUCCVisibleExport", o.bUCCVisibleExport},
                                        {"bTestrunAfterCompile", o.bTestrunAfterCompile}};
        QCOMPARE(fields.value(name), field);
        // Values not stored take the load defaults.
        QCOMPARE(o.BaseDir, QStringLiteral("."));
        QCOMPARE(o.CommandLine, QStringLiteral("ctf-face"));
    }

    void absentPriorityLeavesField()
    {
        RegFileRegistry reg(m_path);
        QVERIFY(reg.SetString(RegRoot::LocalMachine, kKey, QStringLiteral("BaseDir"), QStringLiteral("D:\\UT")));
        TOptions o;
        o.UCCPriority = 64;
        QVERIFY(o.LoadOptions(reg));
        QCOMPARE(o.UCCPriority, 64);
        QCOMPARE(o.BaseDir, QStringLiteral("D:\\UT"));
    }

    void ownRegistryKey()
    {
        RegFileRegistry reg(m_path);
        TOptions saved = Sample();
        saved.RegistryKey = QStringLiteral("\\Software\\Other");
        QVERIFY(saved.SaveOptions(reg, QString()));
        QVERIFY(!reg.OpenKey(RegRoot::LocalMachine, kKey, false));
        TOptions loaded;
        loaded.RegistryKey = saved.RegistryKey;
        QVERIFY(loaded.LoadOptions(reg));
        QCOMPARE(loaded.BaseDir, saved.BaseDir);
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
        RegFileRegistry reg(m_path);
        if (name != "BaseDir")
            QVERIFY(reg.SetString(RegRoot::LocalMachine, kKey, QStringLiteral("BaseDir"), QStringLiteral("E:\\UT")));
        QVERIFY(storeAsDword ? reg.SetDword(RegRoot::LocalMachine, kKey, name, 1)
                             : reg.SetString(RegRoot::LocalMachine, kKey, name, QStringLiteral("1")));
        TOptions o;
        try {
            o.LoadOptions(reg);
            QFAIL("no error raised");
        } catch (const KelvarinError &e) {
            QCOMPARE(e.Message(), QStringLiteral("Invalid data type for '%1'").arg(name));
        }
        QCOMPARE(o.BaseDir, baseDirAfter); // what was read before stays
    }

    void unwritableStore()
    {
        QFile blocker(m_dir.filePath(QStringLiteral("blocked")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        RegFileRegistry blocked(m_dir.filePath(QStringLiteral("blocked/registry.reg")));
        TOptions o = Sample();
        QVERIFY(!o.SaveOptions(blocked, QString()));

        // The key opens, but the first value cannot be stored.
        RegFileRegistry reg(m_path);
        RecordingRegistry refusing(reg);
        refusing.failAt = QStringLiteral("BaseDir");
        try {
            o.SaveOptions(refusing, QString());
            QFAIL("no error raised");
        } catch (const KelvarinError &e) {
            QCOMPARE(e.Message(), QStringLiteral("Failed to set data for 'BaseDir'"));
        }
        QCOMPARE(refusing.written, QStringList{"BaseDir"});
    }

    void editorLivesInTheAssociation()
    {
        RegFileRegistry reg(m_path);
        TOptions o = Sample();
        o.UScriptEditCommand = QStringLiteral("C:\\Ed\\ed.exe");
        QVERIFY(o.SaveOptions(reg, QStringLiteral("C:\\Kelvarin\\Kelvarin.exe")));
        QVERIFY(!reg.Value(RegRoot::LocalMachine, kKey, QStringLiteral("UScriptEditCommand")));
        QCOMPARE(FileAssociation::ReadOpenCommand(reg, QStringLiteral(".UC")),
                 QStringLiteral("C:\\Ed\\ed.exe \"%1\""));
        QCOMPARE(reg.Value(RegRoot::ClassesRoot, QStringLiteral("\\UCfile"), QString())->text,
                 QStringLiteral("Unreal Code"));

        TOptions loaded;
        QVERIFY(loaded.LoadOptions(reg));
        QCOMPARE(loaded.UScriptEditCommand, QStringLiteral("C:\\Ed\\ed.exe"));

        // An empty editor setting leaves the association as it was.
        const QByteArray before = ReadAll(m_path);
        loaded.UScriptEditCommand.clear();
        QVERIFY(loaded.SaveOptions(reg, QString()));
        QCOMPARE(ReadAll(m_path), before);
        QCOMPARE(FileAssociation::ReadOpenCommand(reg, QStringLiteral(".UC")),
                 QStringLiteral("C:\\Ed\\ed.exe \"%1\""));
    }
};

QTEST_GUILESS_MAIN(TestOptions)
#include "tst_options.moc"
