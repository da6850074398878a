#include "package/PackageFile.h"
#include "support/GameDir.h"
#include "support/PackageWriter.h"
#include "support/Raised.h"

#include <QDir>
#include <QTest>

using namespace kelvarin;
using kelvarin::test::PackageWriter;

namespace {

const QString kBadFile = QStringLiteral("System/Bad.u");

// A package with class C whose text buffer holds the name firstName,
// Pos and Top, then the tail.
QByteArray WithTextBuffer(const QByteArray &firstName, const QByteArray &tail)
{
    PackageWriter w;
    const int32_t textBuffer = w.ImportClass(w.ImportPackage("Core"), "TextBuffer");
    const int32_t c = w.Class("C", 0, std::nullopt);
    const QByteArray data = PackageWriter::Compact(w.Name(firstName)) + PackageWriter::Int32(3)
        + PackageWriter::Int32(0) + tail;
    w.Export(textBuffer, 0, c, "ScriptText", data);
    return w.Bytes();
}

QString Describe(const PackageClass &c)
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(c.name, c.parent.isEmpty() ? QStringLiteral("-") : c.parent,
             c.parentPackage.isEmpty() ? QStringLiteral("-") : c.parentPackage,
             c.hasSource ? QStringLiteral("source") : QStringLiteral("stripped"));
}

QByteArray Patched(QByteArray bytes, int field, int32_t value)
{
    test::PatchInt32(bytes, field, value);
    return bytes;
}

// The package with the first entry of its import table (written last)
// starting with other bytes in place of its first compact index.
QByteArray FirstImportStartingWith(const PackageWriter &w, const QByteArray &compact)
{
    QByteArray bytes = w.Bytes();
    const int importOffset = test::ReadInt32(bytes, test::kImportOffsetField);
    const int oldLength = int(PackageWriter::Compact(w.imports[0].classPackage).size());
    return bytes.replace(importOffset, oldLength, compact);
}

} // namespace

class TestPackageFile : public QObject
{
    Q_OBJECT

private slots:
    void Classes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("version");
        QTest::addColumn<QStringList>("classes");
        const QStringList mod{"MyBase Actor Engine source", "MyWeapon MyBase Mod source",
                              "Stripped TournamentWeapon Botpack stripped"};
        for (int version : {69, 68, 64, 63, 61})
            QTest::addRow("mod package, version %d", version) << test::SampleModPackage(version).Bytes() << version << mod;
        QTest::newRow("the package declaring TextBuffer")
            << test::SampleCorePackage().Bytes() << 69 << QStringList{"Object - - source", "TextBuffer Object Mod stripped"};
    }

    void Classes()
    {
        QFETCH(QByteArray, bytes);
        const PackageFile package = PackageFile::FromBytes(bytes, QStringLiteral("Mod"), QStringLiteral("Mod.u"));
        QTEST(package.FileVersion(), "version");
        QStringList read;
        for (const PackageClass &c : package.Classes()) {
            read << Describe(c);
            QCOMPARE(package.SourceText(c).has_value(), c.hasSource);
        }
        QTEST(read, "classes");
    }

    void SourceText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error");
        PackageWriter mod = test::SampleModPackage(69);
        QTest::newRow("CR LF and 8-bit text kept")
            << mod.Bytes() << QStringLiteral("// Caf\u00E9\r\nclass MyWeapon extends MyBase;\r\n") << QString();
        QTest::newRow("empty") << WithTextBuffer("None", PackageWriter::Compact(0)) << QString() << QString();
        QTest::newRow("wide text (negative length)")
            << WithTextBuffer("None", PackageWriter::Compact(-3) + QByteArray("h\0\x01\x20\0\0", 6))
            << QStringLiteral("h\u2001") << QString();
        QTest::newRow("length past the buffer's end")
            << WithTextBuffer("None", PackageWriter::Compact(100) + "abc") << QString()
            << "the source text of class C is cut short at offset";
        QTest::newRow("wide length past the buffer's end")
            << WithTextBuffer("None", PackageWriter::Compact(-1000000000) + "abc") << QString()
            << "the source text of class C is cut short";
        QTest::newRow("properties before the text")
            << WithTextBuffer("Pos", QByteArray("\x02")) << QString()
            << "the source text of class C does not start as a text buffer";
    }

    void SourceText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(QString, error);
        const PackageFile package = PackageFile::FromBytes(bytes, QStringLiteral("Mod"), kBadFile);
        const PackageClass *c = package.FindClass(QStringLiteral("myweapon"));
        if (!c)
            c = package.FindClass(QStringLiteral("C"));
        QVERIFY(c && c->hasSource);
        std::optional<QString> read;
        const QString message = test::Raised([&] { read = package.SourceText(*c); });
        if (error.isEmpty()) {
            QCOMPARE(message, QString());
            QCOMPARE(read, std::optional<QString>(text));
        } else {
            QVERIFY2(message.startsWith(kBadFile + " is damaged: " + error), qPrintable(message));
        }
    }

    void Refused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QByteArray good = test::SampleModPackage(69).Bytes();
        const QString damaged = kBadFile + " is damaged: ";
        QTest::newRow("empty file") << QByteArray() << kBadFile + " is not a game package";
        QTest::newRow("other bytes") << QByteArray("PK\x03\x04 something else") << kBadFile + " is not a game package";
        QTest::newRow("the UCC stand-in's container")
            << QByteArray("KelvarinStandinPackage 1\npackage Mod\nclasses 0\nend\n")
            << kBadFile + " is not a game package: it was written by the UCC stand-in";
        QByteArray v60 = test::SampleModPackage(69).Bytes();
        v60[4] = 60;
        QTest::newRow("version 60") << v60 << kBadFile + " is a package of file version 60; only versions 61 to 69 can be read";
        QByteArray v70 = v60;
        v70[4] = 70;
        QTest::newRow("version 70") << v70 << kBadFile + " is a package of file version 70; only versions 61 to 69 can be read";
        QTest::newRow("header cut short") << good.left(30) << damaged + "the header is cut short at offset 28";
        QTest::newRow("name count 2^31") << Patched(good, test::kNameCountField, INT32_MIN)
                                         << damaged + "the header gives a negative name count (-2147483648)";
        QTest::newRow("name count 2^31 - 1") << Patched(good, test::kNameCountField, INT32_MAX)
                                             << damaged + "the header gives 2147483647 name entries, more than the file can hold";
        QTest::newRow("export count 2^31 - 1") << Patched(good, test::kExportCountField, INT32_MAX)
                                               << damaged + "the header gives 2147483647 export entries, more than the file can hold";
        QTest::newRow("import count 2^31 - 1") << Patched(good, test::kImportCountField, INT32_MAX)
                                               << damaged + "the header gives 2147483647 import entries, more than the file can hold";
        QTest::newRow("name table past the end")
            << Patched(good, test::kNameOffsetField, int32_t(good.size()))
            << damaged + QStringLiteral("the name table starts at offset %1, outside the file (%1 bytes)").arg(good.size());
        QTest::newRow("export table at a negative offset")
            << Patched(good, test::kExportOffsetField, -4)
            << damaged + QStringLiteral("the export table starts at offset -4, outside the file (%1 bytes)").arg(good.size());

        PackageWriter w = test::SampleModPackage(69);
        QTest::newRow("6-byte compact index")
            << FirstImportStartingWith(w, QByteArray("\x41\x80\x80\x80\x80\x00", 6))
            << damaged + QStringLiteral("the import table holds a compact index longer than 5 bytes at offset %1")
                             .arg(test::ReadInt32(good, test::kImportOffsetField));
        QTest::newRow("compact index beyond 32 bits")
            << FirstImportStartingWith(w, PackageWriter::Compact(int64_t(1) << 33))
            << damaged + QStringLiteral("the import table holds a compact index too large for 32 bits at offset %1")
                             .arg(test::ReadInt32(good, test::kImportOffsetField));

        w = test::SampleModPackage(69);
        w.imports[0].outer = -2;
        w.imports[1].outer = -1;
        QTest::newRow("cycle of outers") << w.Bytes() << damaged + "the outer references of import 0 form a cycle";
        w = test::SampleModPackage(69);
        w.exports[1].outer = 2;
        QTest::newRow("export its own outer") << w.Bytes() << damaged + "the outer references of export 1 form a cycle";
        w = test::SampleModPackage(69);
        const QString tables = QStringLiteral("outside the tables (%1 imports, %2 exports)")
                                   .arg(w.imports.size()).arg(w.exports.size());
        w.exports[0].superRef = int32_t(w.exports.size()) + 1;
        QTest::newRow("reference past the exports")
            << w.Bytes() << damaged + QStringLiteral("export 0 refers to object %1, ").arg(w.exports.size() + 1) + tables;
        w = test::SampleModPackage(69);
        w.imports[3].outer = -int32_t(w.imports.size()) - 1;
        QTest::newRow("reference past the imports")
            << w.Bytes() << damaged + QStringLiteral("import 3 refers to object -%1, ").arg(w.imports.size() + 1) + tables;
        w = test::SampleModPackage(69);
        w.imports[2].objectName = int32_t(w.names.size());
        QTest::newRow("name past the name table")
            << w.Bytes() << damaged + QStringLiteral("import 2 names name %1, outside the name table (%1 names)").arg(w.names.size());
        w = test::SampleModPackage(69);
        w.exports[0].offsetOverride = int32_t(good.size()) - 10;
        QTest::newRow("object data past the end")
            << w.Bytes()
            << damaged + QStringLiteral("the data of export 0 (%1 bytes at offset %2) lies outside the file")
                             .arg(w.exports[0].data.size()).arg(good.size() - 10);
        w = test::SampleModPackage(69);
        w.exports[0].sizeOverride = -5;
        QTest::newRow("negative object size") << w.Bytes() << damaged + "export 0 has a negative size (-5)";
    }

    void Refused()
    {
        QFETCH(QByteArray, bytes);
        QTEST(test::Raised([&] { PackageFile::FromBytes(bytes, QStringLiteral("Bad"), kBadFile); }), "message");
    }

    void CutShortAnywhere_data()
    {
        QTest::addColumn<int>("version");
        QTest::newRow("69") << 69;
        QTest::newRow("63") << 63;
    }

    void CutShortAnywhere()
    {
        QFETCH(int, version);
        const QByteArray whole = test::SampleModPackage(version).Bytes();
        for (qsizetype cut = 0; cut < whole.size(); ++cut) {
            const QString message = test::Raised([&] {
                PackageFile::FromBytes(whole.left(cut), QStringLiteral("Bad"), kBadFile);
            });
            QVERIFY2(message.startsWith(kBadFile + " is "), qPrintable(QString::number(cut) + ": " + message));
        }
    }

    void Open_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("name in other letter case") << "System/mymod.U" << test::SampleModPackage(69).Bytes() << QString();
        QTest::newRow("a directory in its place") << "System/MyMod.u/" << QByteArray() << "Cannot open file %1";
    }

    void Open()
    {
        QFETCH(QString, written);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        test::GameDir dir;
        dir.MakeDir(QStringLiteral("System"));
        if (written.endsWith(QLatin1Char('/')))
            dir.MakeDir(written);
        else if (!written.isEmpty())
            dir.WriteBytes(written, bytes);
        const QString specPath = dir.Base() + QStringLiteral("\\System\\MyMod.u");
        std::optional<PackageFile> package;
        const QString raised = test::Raised([&] { package = PackageFile::Open(specPath); });
        if (!message.isEmpty()) {
            const QString shown = QDir::toNativeSeparators(dir.Native(QStringLiteral("System/MyMod.u")));
            QVERIFY2(raised.startsWith(message.arg(shown)), qPrintable(raised));
            return;
        }
        QCOMPARE(raised, QString());
        QCOMPARE(package->PackageName(), QStringLiteral("MyMod"));
        QCOMPARE(package->Classes().size(), 3);
        QCOMPARE(package->Classes().at(1).parentPackage, QStringLiteral("MyMod"));
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestPackageFile)
#include "tst_packagefile.moc"
