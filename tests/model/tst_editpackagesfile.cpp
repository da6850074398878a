#include "model/EditPackagesFile.h"

#include "support/EncodedText.h"
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

} // namespace

class TestEditPackagesFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void read_data()
    {
        QTest::addColumn<QString>("ini");   // tests/data/editpackages/<ini>.ini
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("file order, comments passed over") << "read-order" << QStringList{"Core", "Engine", "Botpack"}
                                                          << QStringList();
        QTest::newRow("key in any case, value as written") << "read-key-case" << QStringList{"core", "MyMod"}
                                                           << QStringList();
        QTest::newRow("blank before = is not the key") << "read-blanks" << QStringList{"Engine", " Spaced"}
                                                       << QStringList();
        QTest::newRow("indented header, section ends at the next") << "read-indented" << QStringList{"Core"}
                                                                   << QStringList();
        QTest::newRow("no section") << "read-no-section" << QStringList()
                                    << QStringList{"Unable to locate [Editor.EditorEngine] section."};
    }

    void read()
    {
        QFETCH(QString, ini);
        test::GameDir game;
        test::ScriptedPrompter prompter;
        game.CopyData("editpackages/" + ini + ".ini", kIni);
        QStringList list;
        EditPackagesFile(game.Base(), prompter).ReadEditPackagesList(list);
        QTEST(list, "expected");
        QTEST(prompter.Texts(), "messages");
        for (const auto &shown : prompter.shown) {
            QCOMPARE(shown.title, QStringLiteral("Kelvarin"));
            QCOMPARE(shown.icon, MessageIcon::Error);
        }
        // Reading never writes.
        QCOMPARE(game.Read(kIni), test::GameDir::Data("editpackages/" + ini + ".ini"));
        QVERIFY(!game.Exists(kIni + QLatin1String("_Backup")));
    }

    // The file tests/data/editpackages/<ini>.ini with the list written is
    // <ini>.written.ini there. The file's permissions, unlike any a new file
    // gets, in every class of user, stay with it and go to the backup.
    void write_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QByteArray>("expected");
        const auto row = [](const char *name, const char *ini, const QStringList &list) {
            const QString file = QStringLiteral("editpackages/") + QLatin1String(ini);
            QTest::newRow(name) << test::GameDir::Data(file + ".ini") << list << test::GameDir::Data(file + ".written.ini");
        };
        row("list stands where the first line stood", "first-line", {"Core", "Engine", "Botpack", "MyMod"});
        row("key in any case counts, blank before = does not", "key-case", {"New"});
        row("indentation goes everywhere", "indented", {"Core"});
        row("empty list removes every line", "empty-list", {});
        row("lines of other sections stay", "other-sections", {"A", "B"});
        row("section without EditPackages lines gets none", "no-lines", {"Core"});
        row("no section: only stripped", "no-section", {"Engine"});
        row("Latin-1 bytes survive", "latin1", {QString::fromLatin1("Mod\xe9")});
        row("UTF-8 mark: text and stray bytes kept", "utf8", {QString::fromUtf8("Mod\xc3\xa9")});
        row("stripping never makes a byte-order mark", "no-utf16-mark", {"Engine"});
        row("stripping never makes a second UTF-8 mark", "no-second-utf8-mark", {"Engine"});
        // A reader drops a second mark right after the file's own: the
        // header behind it is the section.
        row("second UTF-8 mark before the header", "second-utf8-mark", {"Engine"});
        row("LF and CR ends become CR LF", "line-ends", {"Core"});
        const QString before = QString::fromUtf8("[Editor.EditorEngine]\n  ; \u20ac \U0001F600\nEditPackages=Core\n") + QChar(0xd800) + "\n";
        const QString after = QString::fromUtf8("[Editor.EditorEngine]\r\n; \u20ac \U0001F600\r\nEditPackages=Mod\u00e9\r\nEditPackages=\u0100\r\n")
            + QChar(0xd800) + "\r\n";
        for (bool little : {true, false}) {
            QTest::newRow(little ? "UTF-16LE mark" : "UTF-16BE mark")
                << test::Utf16WithMark(before, little) << QStringList{QString::fromUtf8("Mod\u00e9"), QString::fromUtf8("\u0100")}
                << test::Utf16WithMark(after, little);
        }
    }

    void write()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, list);
        test::GameDir game;
        test::ScriptedPrompter prompter;
        game.WriteBytes(kIni, ini);
        const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther;
        QVERIFY(QFile::setPermissions(game.Native(kIni), permissions));
        EditPackagesFile file(game.Base(), prompter);
        file.WriteEditPackagesList(list);
        QTEST(game.Read(kIni), "expected");
        // The backup is the file as it was, byte for byte.
        QCOMPARE(game.Read(kIni + QLatin1String("_Backup")), ini);
        QVERIFY(prompter.shown.isEmpty());
        // No temporary file is left beside them.
        QCOMPARE(QDir(game.Native(QStringLiteral("System"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{"UnrealTournament.ini", "UnrealTournament.ini_Backup"}));
        // Owner, group and others' bits; not the current user's ones Qt adds.
        for (const QString &written : {kIni, kIni + QLatin1String("_Backup")})
            QCOMPARE(QFileInfo(game.Native(written)).permissions() & QFile::Permissions(0x7077), permissions);
    }

    // A missing file, and UTF-16 without a byte-order mark or cut in a
    // character, are refused, not rewritten with NUL bytes trimmed or its
    // last byte lost; with a mark it is read and written as UTF-16.
    void refused_data()
    {
        QTest::addColumn<bool>("writing");
        QTest::addColumn<QByteArray>("bytes");   // null: no file
        QByteArray bytes;
        for (char c : QByteArray(kHead + "EditPackages=Core\r\n"))
            bytes.append(c).append('\0');
        QTest::newRow("missing, read") << false << QByteArray();
        QTest::newRow("missing, write") << true << QByteArray();
        QTest::newRow("no mark, read") << false << bytes;
        QTest::newRow("no mark, write") << true << bytes;
        QTest::newRow("cut in a character, write") << true << QByteArray("\xff\xfe" + bytes + "A");
    }

    void refused()
    {
        QFETCH(bool, writing);
        QFETCH(QByteArray, bytes);
        test::GameDir game;
        test::ScriptedPrompter prompter;
        game.MakeDir(QStringLiteral("System"));
        if (!bytes.isNull())
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
        QCOMPARE(QDir(game.Native(QStringLiteral("System"))).count(), bytes.isNull() ? 2u : 3u);
        QVERIFY(prompter.shown.isEmpty());

        game.WriteBytes(kIni, test::Utf16WithMark(QString::fromLatin1(kHead + "EditPackages=Core\r\n"), true));
        list.clear();
        QVERIFY(file.ReadEditPackagesList(list));
        QCOMPARE(list, QStringList{"Core"});
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestEditPackagesFile)
#include "tst_editpackagesfile.moc"
