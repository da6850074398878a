// The exporter against the UCC stand-in in a scratch game whose directory
// has blanks in its name: what was started, where the sources land, a real
// game package refused.

#include "model/ClassModel.h"
#include "support/RecordingShell.h"
#include "support/ModelHarness.h"
#include "support/StandinScratch.h"
#include "tools/ErrorReporter.h"
#include "tools/PackageExporter.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace kelvarin;
using namespace kelvarin::test;

namespace {

// A stand-in container holding the given classes (name, parent, source).
QByteArray Container(const QString &package, const QList<std::array<QByteArray, 3>> &classes)
{
    QByteArray bytes = "KelvarinStandinPackage 1\npackage " + package.toUtf8() + "\nclasses "
        + QByteArray::number(classes.size()) + '\n';
    for (const auto &c : classes)
        bytes += "class " + c[0] + ' ' + c[1] + ' ' + QByteArray::number(c[2].size()) + '\n' + c[2] + '\n';
    return bytes + "end\n";
}

const QByteArray SourceA = "class MyA extends Actor;\r\n// a \"quoted\" { brace\r\n";
const QByteArray SourceB = "\xEF\xBB\xBF" "class MyB expands MyA;\r\n";

struct ExportGame
{
    StandinScratch scratch;
    ModelHarness h;
    RecordingErrors errors;
    PackageExporter exporter{h.model, errors};
    QString base;
    int beeps = 0;
    QStringList statuses;

    ExportGame()
    {
        base = scratch.Path(QStringLiteral("Unreal Tournament"));
        scratch.CopyProgram(QStringLiteral("Unreal Tournament/System/UCC.exe"), QStringLiteral(KELVARIN_UCC_STANDIN));
        scratch.Write(QStringLiteral("Unreal Tournament/System/MyMod.u"),
                      Container("MyMod", {{"MyA", "Actor", SourceA}, {"MyB", "MyA", SourceB}}));
        // A real game package: the stand-in cannot read it.
        scratch.Write(QStringLiteral("Unreal Tournament/System/Engine.u"), QByteArray("\xC1\x83\x2A\x9E", 4) + "junk");
        h.options.BaseDir = base;
        exporter.SetBeep([this] { ++beeps; });
        exporter.SetStatusSink([this](const QString &text) { statuses.append(text); });
        exporter.ScanPackages();
    }

    QByteArray Read(const QString &relative) const
    {
        QFile file(base + QLatin1Char('/') + relative);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
};

} // namespace

class tst_PackageExporterStandin : public QObject
{
    Q_OBJECT

private slots:
    void goExportsIntoTheBaseDirectoryWithBlanks()
    {
        ExportGame g;
        QVERIFY(g.scratch.IsValid());
        QCOMPARE(g.exporter.FoundList().Entries(), (QStringList{"Engine", "MyMod"}));
        g.exporter.Add({g.exporter.FoundList().IndexOf("MyMod")});
        QVERIFY(g.exporter.Go());
        QTRY_VERIFY_WITH_TIMEOUT(!g.exporter.Busy(), 30000);
        QCOMPARE(g.beeps, 1);
        QCOMPARE(g.statuses, (QStringList{"Exporting MyMod", "Done"}));
        QCOMPARE(g.exporter.FoundList().Entries(), (QStringList{"Engine", "MyMod"}));

        const QList<StandinScratch::Start> starts = g.scratch.Starts();
        QCOMPARE(starts.size(), 1);
        QCOMPARE(QFileInfo(starts.first().program).fileName(), QStringLiteral("UCC.exe"));
        QCOMPARE(QDir(starts.first().workingDirectory).canonicalPath(), QDir(g.base + "/System").canonicalPath());
        QCOMPARE(starts.first().arguments,
                 (QStringList{"BatchExport", "MyMod.u", "Class", "uc", g.base + "/MyMod/Classes"}));
        QCOMPARE(g.Read("MyMod/Classes/MyA.uc"), SourceA);
        QCOMPARE(g.Read("MyMod/Classes/MyB.uc"), SourceB);
        QVERIFY(g.errors.shown.isEmpty());
    }

    // UCC runs in System: a base directory given relative to Kelvarin's own
    // directory must still receive the sources, not System below it.
    void exportPackageForTheCommandLine_data()
    {
        QTest::addColumn<bool>("relative");
        QTest::newRow("absolute base directory") << false;
        QTest::newRow("relative base directory") << true;
    }

    void exportPackageForTheCommandLine()
    {
        QFETCH(bool, relative);
        ExportGame g;
        if (relative)
            g.h.options.BaseDir = QDir::current().relativeFilePath(g.base);
        QVERIFY(!g.h.PackageItems().contains("MyMod"));
        QVERIFY(g.exporter.ExportPackage("mymod"));
        QCOMPARE(g.Read("MyMod/Classes/MyA.uc"), SourceA);
        QVERIFY(!QFileInfo::exists(g.base + "/System/MyMod"));
        // The refresh lists the new package directory.
        QVERIFY(g.h.PackageItems().contains("MyMod"));
        // A real game package fails inside UCC.exe: nothing was exported.
        QVERIFY(!g.exporter.ExportPackage("Engine"));
    }
};

KELVARIN_TEST_GUILESS_MAIN(tst_PackageExporterStandin)
#include "tst_PackageExporterStandin.moc"
