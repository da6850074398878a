// The exporter against the UCC stand-in in a scratch game whose directory
// has blanks in its name: what was started and where the sources land.

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

    ExportGame()
    {
        base = scratch.Path(QStringLiteral("Unreal Tournament"));
        scratch.CopyProgram(QStringLiteral("Unreal Tournament/System/UCC.exe"), QStringLiteral(KELVARIN_UCC_STANDIN));
        scratch.Write(QStringLiteral("Unreal Tournament/System/MyMod.u"),
                      Container("MyMod", {{"MyA", "Actor", SourceA}, {"MyB", "MyA", SourceB}}));
        h.options.BaseDir = base;
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
    // The real start of UCC.exe, by Go and by ExportPackage: the program
    // found in System whatever its letter case, run there, the target one
    // absolute argument. UCC runs in System, so a base directory given
    // relative to Kelvarin's own directory must still receive the sources,
    // not System below it. What the exporter makes of the answers is
    // tst_PackageExporter's.
    void exportsIntoTheBaseDirectoryWithBlanks_data()
    {
        QTest::addColumn<bool>("relative");   // exported by ExportPackage, not Go
        QTest::newRow("Go, absolute base directory") << false;
        QTest::newRow("ExportPackage, relative base directory") << true;
    }

    void exportsIntoTheBaseDirectoryWithBlanks()
    {
        QFETCH(bool, relative);
        ExportGame g;
        QVERIFY(g.scratch.IsValid());
        if (relative) {
            g.h.options.BaseDir = QDir::current().relativeFilePath(g.base);
            QVERIFY(g.exporter.ExportPackage("mymod"));
        } else {
            g.exporter.AddAll();
            QVERIFY(g.exporter.Go());
            QTRY_VERIFY_WITH_TIMEOUT(!g.exporter.Busy(), 30000);
        }
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
};

KELVARIN_TEST_GUILESS_MAIN(tst_PackageExporterStandin)
#include "tst_PackageExporterStandin.moc"
