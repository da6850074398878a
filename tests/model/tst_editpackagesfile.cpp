#include "model/EditPackagesFile.h"

#include "support/GameDir.h"
#include "support/Raised.h"
#include "support/ScriptedPrompter.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QtTest>

using namespace kelvarin;

namespace {

const QString kIni = QStringLiteral("System/UnrealTournament.ini");
const QByteArray kHead("[Editor.EditorEngine]\r\n");

// Text as UTF-16 with its mark, code unit by code unit (unpaired surrogates too).
QByteArray Utf16(const QString &text, bool little)
{
    QByteArray bytes(little ? "\xff\xfe" : "\xfe\xff");
    for (QChar c : text) {
        const char lo = char(c.unicode() & 0xff);
        const char hi = char(c.unicode() >> 8);
        bytes.append(little ? lo : hi).append(little ? hi : lo);
    }
    return bytes;
}

} // namespace

class TestEditPackagesFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void read_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("file order, comments passed over")
            << kHead + "EditPackages=Core\r\nEditPackages=Engine\r\n; EditPackages=Old\r\nCacheSizeMegs=4\r\nEditPackages=Botpack\r\n"
            << QStringList{"Core", "Engine", "Botpack"} << QStringList();
        QTest::newRow("key in any case, value as written")
            << kHead + "editpackages=core\r\nEDITPACKAGES=MyMod\r\n" << QStringList{"core", "MyMod"} << QStringList();
        QTest::newRow("blank before = is not the key")
            << kHead + "EditPackages =Core\r\n  EditPackages=Engine  \r\nEditPackages= Spaced\r\n"
            << QStringList{"Engine", " Spaced"} << QStringList();
        QTest::newRow("indented header, section ends at the next")
            << QByteArray("[Engine.Engine]\nEditPackages=Nope\n  [editor.editorengine]\nEditPackages=Core\n[Core.System]\nEditPackages=Nope\n")
            << QStringList{"Core"} << QStringList();
        QTest::newRow("no section")
            << QByteArray("[Engine.Engine]\r\nEditPackages=Core\r\n") << QStringList()
            << QStringList{"Unable to locate [Editor.EditorEngine] section."};
    }

    void read()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, messages);
        test::GameDir game;
        test::ScriptedPrompter prompter;
        game.WriteBytes(kIni, ini);
        QStringList list;
        EditPackagesFile(game.Base(), prompter).ReadEditPackagesList(list);
        QCOMPARE(list, expected);
        QCOMPARE(prompter.Texts(), messages);
        for (const auto &shown : prompter.shown) {
            QCOMPARE(shown.title, QStringLiteral("Kelvarin"));
            QCOMPARE(shown.icon, MessageIcon::Error);
        }
        // Reading never writes.
        QCOMPARE(game.Read(kIni), ini);
        QVERIFY(!game.Exists(kIni + QLatin1String("_Backup")));
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("list stands where the first line stood")
            << QByteArray("[Core.System]\r\nPaths=..\\System\\*.u\r\n") + kHead
                   + "EditPackages=Core\r\nEditPackages=Engine\r\n; keep me\r\nEditPackages=Botpack\r\n[URL]\r\nMap=Index.unr\r\n"
            << QStringList{"Core", "Engine", "Botpack", "MyMod"}
            << QByteArray("[Core.System]\r\nPaths=..\\System\\*.u\r\n") + kHead
                   + "EditPackages=Core\r\nEditPackages=Engine\r\nEditPackages=Botpack\r\nEditPackages=MyMod\r\n; keep me\r\n[URL]\r\nMap=Index.unr\r\n";
        QTest::newRow("key in any case counts, blank before = does not")
            << kHead + "editpackages=Core\r\nEditPackages =Core\r\nEDITPACKAGES=Engine\r\n"
            << QStringList{"New"}
            << kHead + "EditPackages=New\r\nEditPackages =Core\r\n";
        QTest::newRow("indentation goes everywhere")
            << QByteArray("  [Core.System]  \r\n\tPaths=x\t\r\n   [Editor.EditorEngine]\r\n    EditPackages=Core\r\n  ; note  \r\n")
            << QStringList{"Core"}
            << QByteArray("[Core.System]\r\nPaths=x\r\n[Editor.EditorEngine]\r\nEditPackages=Core\r\n; note\r\n");
        QTest::newRow("empty list removes every line")
            << kHead + "EditPackages=Core\r\nOther=1\r\nEditPackages=Engine\r\n"
            << QStringList() << kHead + "Other=1\r\n";
        QTest::newRow("lines of other sections stay")
            << kHead + "EditPackages=Core\r\n[Other]\r\nEditPackages=Keep\r\n"
            << QStringList{"A", "B"} << kHead + "EditPackages=A\r\nEditPackages=B\r\n[Other]\r\nEditPackages=Keep\r\n";
        QTest::newRow("section without EditPackages lines gets none")
            << kHead + "Other=1\r\n" << QStringList{"Core"} << kHead + "Other=1\r\n";
        QTest::newRow("no section: only stripped")
            << QByteArray("[Core.System]\r\n  Paths=x  \r\nEditPackages=Core\r\n")
            << QStringList{"Engine"} << QByteArray("[Core.System]\r\nPaths=x\r\nEditPackages=Core\r\n");
        QTest::newRow("Latin-1 bytes survive")
            << kHead + "; caf\xe9 \xff\r\nEditPackages=Core\r\nName=\xe9t\xe9\r\n"
            << QStringList{QString::fromLatin1("Mod\xe9")}
            << kHead + "; caf\xe9 \xff\r\nEditPackages=Mod\xe9\r\nName=\xe9t\xe9\r\n";
        QTest::newRow("UTF-8 mark: text and stray bytes kept")
            << "\xef\xbb\xbf" + kHead + "; caf\xc3\xa9 \xff\xc3\r\n  EditPackages=Core\r\nName=\xe2\x82\xac\r\n"
            << QStringList{QString::fromUtf8("Mod\xc3\xa9")}
            << "\xef\xbb\xbf" + kHead + "; caf\xc3\xa9 \xff\xc3\r\nEditPackages=Mod\xc3\xa9\r\nName=\xe2\x82\xac\r\n";
        const QString before = QString::fromUtf8("[Editor.EditorEngine]\n  ; \u20ac \U0001F600\nEditPackages=Core\n") + QChar(0xd800) + "\n";
        const QString after = QString::fromUtf8("[Editor.EditorEngine]\r\n; \u20ac \U0001F600\r\nEditPackages=Mod\u00e9\r\nEditPackages=\u0100\r\n")
            + QChar(0xd800) + "\r\n";
        for (bool little : {true, false}) {
            QTest::newRow(little ? "UTF-16LE mark" : "UTF-16BE mark")
                << Utf16(before, little) << QStringList{QString::fromUtf8("Mod\u00e9"), QString::fromUtf8("\u0100")}
                << Utf16(after, little);
        }
        QTest::newRow("stripping never makes a byte-order mark")
            << QByteArray("\x01\xff\xfe\r\n") + kHead + "EditPackages=Core\r\n"
            << QStringList{"Engine"} << QByteArray("\x01\xff\xfe\r\n") + kHead + "EditPackages=Engine\r\n";
        QTest::newRow("stripping never makes a second UTF-8 mark")
            << QByteArray("\xef\xbb\xbf\x1b\xef\xbb\xbf; x\r\n") + kHead + "EditPackages=Core\r\n"
            << QStringList{"Engine"}
            << QByteArray("\xef\xbb\xbf\x1b\xef\xbb\xbf; x\r\n") + kHead + "EditPackages=Engine\r\n";
        // A reader drops a second mark right after the file's own: the
        // header behind it is the section.
        QTest::newRow("second UTF-8 mark before the header")
            << QByteArray("\xef\xbb\xbf\xef\xbb\xbf") + kHead + "EditPackages=Core\r\n[Editor.EditorEngine]\r\nEditPackages=X\r\n"
            << QStringList{"Engine"}
            << QByteArray("\xef\xbb\xbf\xef\xbb\xbf") + kHead + "EditPackages=Engine\r\n[Editor.EditorEngine]\r\nEditPackages=X\r\n";
        QTest::newRow("LF and CR ends become CR LF")
            << QByteArray("[Editor.EditorEngine]\nEditPackages=Core\rA=1\n\nB=2")
            << QStringList{"Core"} << kHead + "EditPackages=Core\r\nA=1\r\n\r\nB=2\r\n";
    }

    void write()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, list);
        QFETCH(QByteArray, expected);
        test::GameDir game;
        test::ScriptedPrompter prompter;
        game.WriteBytes(kIni, ini);
        EditPackagesFile file(game.Base(), prompter);
        file.WriteEditPackagesList(list);
        QCOMPARE(game.Read(kIni), expected);
        // The backup is the file as it was, byte for byte.
        QCOMPARE(game.Read(kIni + QLatin1String("_Backup")), ini);
        QVERIFY(prompter.shown.isEmpty());
        // No temporary file is left beside them.
        QCOMPARE(QDir(game.Native(QStringLiteral("System"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{"UnrealTournament.ini", "UnrealTournament.ini_Backup"}));
    }

    void missingFile_data()
    {
        QTest::addColumn<bool>("writing");
        QTest::newRow("read") << false;
        QTest::newRow("write") << true;
    }

    void missingFile()
    {
        QFETCH(bool, writing);
        test::GameDir game;
        test::ScriptedPrompter prompter;
        game.MakeDir(QStringLiteral("System"));
        EditPackagesFile file(game.Base(), prompter);
        QStringList list{QStringLiteral("Core")};
        QCOMPARE(test::Raised([&] {
                     if (writing)
                         file.WriteEditPackagesList(list);
                     else
                         file.ReadEditPackagesList(list);
                 }),
                 QStringLiteral("Cannot open file ")
                              + QDir::toNativeSeparators(game.Native(QStringLiteral("System/UnrealTournament.ini"))));
        QVERIFY(prompter.shown.isEmpty());
        QVERIFY(QDir(game.Native(QStringLiteral("System"))).isEmpty());
    }

    void permissionsKept_data()
    {
        QTest::addColumn<int>("permissions");
        QTest::newRow("owner only") << int(QFile::ReadOwner | QFile::WriteOwner);
        QTest::newRow("readable by all") << int(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        QTest::newRow("group writable") << int(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup);
    }

    void permissionsKept()
    {
        QFETCH(int, permissions);
        test::GameDir game;
        test::ScriptedPrompter prompter;
        game.WriteBytes(kIni, kHead + "EditPackages=Core\r\n");
        const auto wanted = QFile::Permissions(permissions);
        QVERIFY(QFile::setPermissions(game.Native(kIni), wanted));
        EditPackagesFile(game.Base(), prompter).WriteEditPackagesList({QStringLiteral("Core"), QStringLiteral("MyMod")});
        QCOMPARE(game.Read(kIni), kHead + "EditPackages=Core\r\nEditPackages=MyMod\r\n");
        const auto mask = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::WriteGroup
            | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(QFileInfo(game.Native(kIni)).permissions() & mask, wanted);
        QCOMPARE(QFileInfo(game.Native(kIni + QLatin1String("_Backup"))).permissions() & mask, wanted);
    }

    // UTF-16 without a byte-order mark, or cut in a character, is refused,
    // not rewritten with NUL bytes trimmed or its last byte lost; with a mark
    // it is read and written as UTF-16.
    void utf16NotTextRefused_data()
    {
        QTest::addColumn<bool>("writing");
        QTest::addColumn<QByteArray>("bytes");
        QByteArray bytes;
        for (char c : QByteArray(kHead + "EditPackages=Core\r\n"))
            bytes.append(c).append('\0');
        QTest::newRow("no mark, read") << false << bytes;
        QTest::newRow("no mark, write") << true << bytes;
        QTest::newRow("cut in a character, write") << true << QByteArray("\xff\xfe" + bytes + "A");
    }

    void utf16NotTextRefused()
    {
        QFETCH(bool, writing);
        QFETCH(QByteArray, bytes);
        test::GameDir game;
        test::ScriptedPrompter prompter;
        game.WriteBytes(kIni, bytes);
        EditPackagesFile file(game.Base(), prompter);
        QStringList list{QStringLiteral("Core")};
        QCOMPARE(test::Raised([&] {
                     if (writing)
                         file.WriteEditPackagesList(list);
                     else
                         file.ReadEditPackagesList(list);
                 }),
                 QStringLiteral("Cannot open file ") + QDir::toNativeSeparators(game.Native(kIni)));
        QCOMPARE(game.Read(kIni), bytes);
        QVERIFY(!game.Exists(kIni + QLatin1String("_Backup")));
        QVERIFY(prompter.shown.isEmpty());

        game.WriteBytes(kIni, Utf16(QString::fromLatin1(kHead + "EditPackages=Core\r\n"), true));
        list.clear();
        QVERIFY(file.ReadEditPackagesList(list));
        QCOMPARE(list, QStringList{"Core"});
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestEditPackagesFile)
#include "tst_editpackagesfile.moc"
