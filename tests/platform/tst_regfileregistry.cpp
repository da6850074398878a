#include "platform/RegFileRegistry.h"
#include "support/TempRegistry.h"

#include <QtTest>

#include <atomic>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

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
        QTest::addColumn<QByteArray>("line");   // empty: the store is UTF-16
        QTest::newRow("plain") << "CommandLine" << QVariant("ctf-face") << QByteArray("\"CommandLine\"=\"ctf-face\"");
        QTest::newRow("backslashes") << "BaseDir" << QVariant("C:\\UnrealTournament\\")
                                     << QByteArray("\"BaseDir\"=\"C:\\\\UnrealTournament\\\\\"");
        QTest::newRow("quotes") << "Say \"hi\"" << QVariant("\"C:\\Ed\\ed.exe\" \"%1\"")
                                << QByteArray("\"Say \\\"hi\\\"\"=\"\\\"C:\\\\Ed\\\\ed.exe\\\" \\\"%1\\\"\"");
        QTest::newRow("default value") << "" << QVariant("UCfile") << QByteArray("@=\"UCfile\"");
        QTest::newRow("empty") << "LastCompiledPackage" << QVariant("") << QByteArray("\"LastCompiledPackage\"=\"\"");
        QTest::newRow("non-ASCII") << "BaseDir" << QVariant("/home/jörg/ßpiele")
                                   << QString("\"BaseDir\"=\"/home/jörg/ßpiele\"").toUtf8();
        QTest::newRow("lone surrogate") << "Note" << QVariant(QString(QChar(0xD800)) + "x") << QByteArray("\"Note\"=hex(1):");
        QTest::newRow("'=' in the name, text in bytes") << "Base=Dir" << QVariant("a\nb")
                                                         << QByteArray("\"Base=Dir\"=hex(1):");
        // A name UTF-8 cannot hold makes the whole store UTF-16.
        QTest::newRow("lone surrogate in the name")
            << QString(QStringLiteral("Base") + QChar(char16_t(0xDCFF)) + QStringLiteral("Dir")) << QVariant("C:\\UT")
            << QByteArray();
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
        QVERIFY2(file.startsWith(line.isEmpty() ? QByteArray("\xff\xfe") : kHeader), file.left(100).toHex());
        if (!line.isEmpty())
            QVERIFY2(file.contains("\n[HKEY_LOCAL_MACHINE\\Software\\Vexa\\Kelvarin]\n" + line), file);
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
        // A value of the same size, replaced by another writer, then by a
        // program that writes the file in place.
        QVERIFY(second.SetDword(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("B"), 3));
        QCOMPARE(store.reg.Value(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("B"))->dword, 3u);
        QByteArray bytes = store.Bytes();
        bytes.replace("\"B\"=dword:00000003", "\"B\"=dword:00000004");
        QFile inPlace(store.path);
        QVERIFY(inPlace.open(QIODevice::ReadWrite) && inPlace.write(bytes) == bytes.size());
        inPlace.close();
        QCOMPARE(store.reg.Value(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("B"))->dword, 4u);
    }

    void thousandsOfForeignKeys()
    {
        TempRegistry store;
        QByteArray file = kHeader;
        for (int i = 0; i < 20000; ++i) {
            file += "\n[HKEY_LOCAL_MACHINE\\Software\\Other" + QByteArray::number(i) + "\\Sub]\n\"Name\"=\"v"
                    + QByteArray::number(i) + "\"\n\"Size\"=dword:00000001\n";
            if (i == 10000)
                file += "\n[HKEY_LOCAL_MACHINE\\Software\\Vexa\\Kelvarin]\n\"BaseDir\"=\"old\"\n\"CommandLine\"=\"x\"\n";
        }
        file += "\n[hkey_local_machine\\software\\vexa\\kelvarin]\n\"basedir\"=\"C:\\\\UT\"\n";
        QVERIFY(store.Write(file));
        RegFileRegistry &reg = store.reg;
        // A key named again later adds to the first; its later value wins.
        QCOMPARE(reg.Value(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("BaseDir"))->text, QStringLiteral("C:\\UT"));
        QCOMPARE(reg.Value(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("CommandLine"))->text, QStringLiteral("x"));
        QCOMPARE(reg.Value(RegRoot::LocalMachine, QStringLiteral("SOFTWARE\\OTHER19999\\SUB"), QStringLiteral("NAME"))->text,
                 QStringLiteral("v19999"));
        QVERIFY(reg.OpenKey(RegRoot::LocalMachine, QStringLiteral("Software\\Other7"), false));
        QVERIFY(!reg.OpenKey(RegRoot::LocalMachine, QStringLiteral("Software\\Other7\\Su"), false));
        QVERIFY(!reg.Value(RegRoot::LocalMachine, QStringLiteral("Software\\Other7"), QStringLiteral("Name")));
        for (int i = 0; i < 5; ++i)
            QVERIFY(reg.SetDword(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("V%1").arg(i), quint32(i)));
        const QByteArray written = store.Bytes();
        QCOMPARE(written.count("\"Size\"=dword:00000001\n"), 20000);
        QCOMPARE(written.count("[HKEY_LOCAL_MACHINE\\Software\\Vexa\\Kelvarin]"), 1);
        QCOMPARE(RegFileRegistry(store.path).Value(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("V4"))->dword, 4u);
    }

    // Two programs writing at once lose none of each other's values, and a
    // reader meanwhile never finds the file half-written.
    void concurrentWriters()
    {
        TempRegistry store;
        QVERIFY(store.reg.SetString(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("Fixed"), QStringLiteral("here")));
        constexpr int writes = 150;
        std::atomic<bool> done = false;
        std::atomic<int> misses = 0;
        auto writer = [&](const QString &prefix) {
            RegFileRegistry reg(store.path);
            for (int i = 0; i < writes; ++i) {
                if (!reg.SetDword(RegRoot::LocalMachine, kKelvarinKey, prefix + QString::number(i), quint32(i)))
                    ++misses;
            }
        };
        std::unique_ptr<QThread> threads[] = {
            std::unique_ptr<QThread>(QThread::create(writer, QStringLiteral("A"))),
            std::unique_ptr<QThread>(QThread::create(writer, QStringLiteral("B"))),
            std::unique_ptr<QThread>(QThread::create([&] {
                RegFileRegistry reg(store.path);
                while (!done) {
                    if (!reg.Value(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("Fixed")))
                        ++misses;
                }
            })),
        };
        for (auto &thread : threads)
            thread->start();
        threads[0]->wait();
        threads[1]->wait();
        done = true;
        threads[2]->wait();
        QCOMPARE(misses.load(), 0);
        RegFileRegistry reader(store.path);
        for (const char *prefix : {"A", "B"}) {
            for (int i = 0; i < writes; ++i) {
                const QString name = QLatin1String(prefix) + QString::number(i);
                QVERIFY2(reader.Value(RegRoot::LocalMachine, kKelvarinKey, name), qPrintable(name));
            }
        }
        QCOMPARE(QDir(store.dir.filePath(QStringLiteral("Kelvarin"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"registry.reg"});
    }

    // A lock that never frees delays a write, never stops it.
    void writesPastAStuckLock()
    {
        TempRegistry store;
        QVERIFY(QDir().mkpath(store.path + QStringLiteral(".lock")));
        QVERIFY(store.reg.SetString(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("BaseDir"), QStringLiteral("x")));
        QCOMPARE(RegFileRegistry(store.path).Value(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("BaseDir"))->text,
                 QStringLiteral("x"));
    }

    // Exported by another program: read, and written back in its encoding,
    // with its mark and line ends, its comments and the values of other
    // types (binary, expandable text) as they were.
    void foreignEncoding_data()
    {
        QTest::addColumn<QByteArray>("mark");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("lineEnd");
        QTest::newRow("UTF-16LE with mark, CR LF (regedit)") << QByteArray("\xff\xfe") << int(QStringConverter::Utf16LE) << "\r\n";
        QTest::newRow("UTF-16BE with mark") << QByteArray("\xfe\xff") << int(QStringConverter::Utf16BE) << "\n";
        QTest::newRow("UTF-8 with mark") << QByteArray("\xef\xbb\xbf") << int(QStringConverter::Utf8) << "\n";
        QTest::newRow("UTF-8, CR LF") << QByteArray() << int(QStringConverter::Utf8) << "\r\n";
        QTest::newRow("UTF-8, LF (as this program writes)") << QByteArray() << int(QStringConverter::Utf8) << "\n";
    }

    void foreignEncoding()
    {
        QFETCH(QByteArray, mark);
        QFETCH(int, encoding);
        QFETCH(QString, lineEnd);
        const QString text = QStringList{QString::fromLatin1(kHeader.trimmed()), QString(),
                                         QStringLiteral("[HKEY_LOCAL_MACHINE\\Software\\Vexa\\Kelvarin]"),
                                         QStringLiteral("\"BaseDir\"=\"C:\\\\Spiele\\\\J\u00f6rg \u20ac\U0001F600\""),
                                         QStringLiteral("; written by hand"), QStringLiteral("\"Blob\"=hex:01,02,\\"),
                                         QStringLiteral("  03,04"), QStringLiteral("\"Expand\"=hex(2):25,00,41,00,00,00"),
                                         QStringLiteral("\"CommandLine\"=\"ctf-face\""), QString()}
                                 .join(lineEnd);
        auto encode = [&](const QString &t) {
            return mark + QStringEncoder(QStringConverter::Encoding(encoding))(t);
        };
        TempRegistry store;
        QVERIFY(store.Write(encode(text)));
        QCOMPARE(store.reg.Value(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("BaseDir"))->text,
                 QStringLiteral("C:\\Spiele\\J\u00f6rg \u20ac\U0001F600"));
        for (const char *name : {"Blob", "Expand"}) {
            const auto v = store.reg.Value(RegRoot::LocalMachine, kKelvarinKey, QLatin1String(name));
            QVERIFY(v && v->type == RegValue::Type::Other);
        }
        QVERIFY(store.reg.SetString(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("CommandLine"), QStringLiteral("dm-\u00e9")));
        QCOMPARE(store.Bytes(), encode(QString(text).replace(QStringLiteral("ctf-face"), QStringLiteral("dm-\u00e9"))));
        QVERIFY(store.reg.KeptDamagedFile().isEmpty());
    }

    // What cannot be opened as a file is left alone, never written over.
    void unreadableStore_data()
    {
        QTest::addColumn<bool>("pipe");
        QTest::newRow("a directory") << false;
#ifdef Q_OS_UNIX
        QTest::newRow("a pipe") << true;
#endif
    }

    void unreadableStore()
    {
        QFETCH(bool, pipe);
        TempRegistry store;
        QVERIFY(QDir().mkpath(QFileInfo(store.path).path()));
#ifdef Q_OS_UNIX
        QVERIFY(pipe ? ::mkfifo(QFile::encodeName(store.path).constData(), 0600) == 0 : QDir().mkpath(store.path));
#else
        QVERIFY(QDir().mkpath(store.path));
#endif
        RegFileRegistry &reg = store.reg;
        QVERIFY(!reg.OpenKey(RegRoot::LocalMachine, kKelvarinKey, false));
        QVERIFY(!reg.Value(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("BaseDir")));
        QVERIFY(!reg.SetString(RegRoot::LocalMachine, kKelvarinKey, QStringLiteral("BaseDir"), QStringLiteral("x")));
        QVERIFY(!reg.OpenKey(RegRoot::LocalMachine, kKelvarinKey, true));
        QVERIFY(reg.KeptDamagedFile().isEmpty());
        QCOMPARE(QFileInfo(store.path).isDir(), !pipe);
        QCOMPARE(QDir(QFileInfo(store.path).path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
                 QStringList{"registry.reg"});
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
        QByteArray utf16;
        for (char c : kHeader + key)
            utf16.append(c).append('\0');
        QTest::newRow("UTF-16 without a mark") << utf16;
        QTest::newRow("UTF-16 cut in a character") << QByteArray("\xff\xfe") + utf16.chopped(1);
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

    // Under XDG_CONFIG_HOME when it is set, else under ~/.config.
    void defaultPath()
    {
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        const bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", "/tmp/cfg");
        const QString underSet = RegFileRegistry::DefaultPath();
        qunsetenv("XDG_CONFIG_HOME");
        const QString underHome = RegFileRegistry::DefaultPath();
        wasSet ? qputenv("XDG_CONFIG_HOME", saved) : qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(underSet, QStringLiteral("/tmp/cfg/Kelvarin/registry.reg"));
        QCOMPARE(underHome, QDir::homePath() + QStringLiteral("/.config/Kelvarin/registry.reg"));
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestRegFileRegistry)
#include "tst_regfileregistry.moc"
