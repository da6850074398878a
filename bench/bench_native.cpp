// Times the compiled-package exporter that works without UCC.exe, and
// reading a game that has only compiled packages:
//
//   the native export of a generated package of about 2 MB, every class
//   written to its .uc file, into an empty directory and again over that
//   export (goal: under 200 ms);
//
//   "Read default packages" on a stock-like game with no sources at all
//   (16 compiled packages, about 1,500 classes, about 10 MB) against the
//   same classes read from their sources (goal: no slower).
//
//   bench_native [classes]
//
// The packages are written with the tests' package writer. The generated
// package's classes declare and store defaults of every value form the
// exporter writes; the stock-like packages hold the synthetic game's sources.

#include "BenchSupport.h"
#include "SyntheticGame.h"
#include "support/ScriptedPrompter.h"

#include "model/ClassModel.h"
#include "model/PackageLoader.h"
#include "package/DefaultsRenderer.h"
#include "package/GameConfig.h"
#include "package/NativeExporter.h"
#include "package/PackageSet.h"
#include "persist/Options.h"
#include "platform/EventPump.h"
#include "support/PackageWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

#include <functional>

using namespace kelvarin;
using test::PackageWriter;
using P = PackageWriter;

namespace {

bool Write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Engine.u: Actor with an enum, a struct and one property of each kind.
QByteArray Engine()
{
    P w;
    const int32_t actor = w.Class("Actor", 0, QByteArray("class Actor;\r\n"));
    const int32_t drawType = w.Enum(actor, "EDrawType", {"DT_None", "DT_Sprite", "DT_Mesh"});
    const int32_t vector = w.Struct(actor, "Vector");
    for (const char *axis : {"X", "Y", "Z"})
        w.Declare(vector, axis, "FloatProperty");
    w.Declare(actor, "DrawType", "ByteProperty", drawType);
    w.Declare(actor, "Charge", "IntProperty");
    w.Declare(actor, "Weight", "FloatProperty");
    w.Declare(actor, "bStatic", "BoolProperty");
    w.Declare(actor, "Tag", "NameProperty");
    w.Declare(actor, "Message", "StrProperty");
    w.Declare(actor, "Mesh", "ObjectProperty");
    w.Declare(actor, "Slots", "IntProperty", 0, 4);
    w.Declare(actor, "Location", "StructProperty", vector);
    for (int i = 0; i < 40; ++i)   // the many properties a real Actor declares
        w.Declare(actor, "Other" + QByteArray::number(i), "IntProperty");
    return w.Bytes();
}

QByteArray GeneratedMod(int classes)
{
    P w;
    int32_t parent = w.ImportClass(w.ImportPackage("Engine"), "Actor");
    const int32_t mesh = w.Import("Engine", "LodMesh", w.ImportPackage("Botpack"), "ArenaCam");
    const int32_t function = w.ImportClass(w.ImportPackage("Core"), "Function");
    const QByteArray line = "    // a line of source text, as long as an ordinary line of code is\r\n";
    for (int i = 0; i < classes; ++i) {
        const QByteArray name = "Generated" + QByteArray::number(i);
        const int32_t self = w.Class(name, parent, "class " + name + " extends Parent;\r\n" + line.repeated(36));
        w.Declare(self, "Own" + QByteArray::number(i), "IntProperty");
        w.SetDefaults(self, w.Property("Own" + QByteArray::number(i), P::IntType, P::Int32(i))
                                + w.Property("DrawType", P::ByteType, QByteArray(1, char(i % 3)))
                                + w.Property("Charge", P::IntType, P::Int32(i)) + w.BoolProperty("bStatic", i % 2)
                                + w.Property("Weight", P::FloatType, P::Float(float(i) / 7))
                                + w.Property("Tag", P::NameType, P::Compact(w.Name("Tag" + QByteArray::number(i % 50))))
                                + w.Property("Message", P::DynamicStrType, P::String("You got the thing " + name))
                                + w.Property("Mesh", P::ObjectType, P::Compact(mesh))
                                + w.Property("Slots", P::IntType, P::Int32(2), 3)
                                + w.Property("Location", P::StructType, P::Float(1) + P::Float(0) + P::Float(2), -1,
                                             "Vector")
                                + w.EndOfProperties());
        for (int f = 0; f < 4; ++f)
            w.Export(function, 0, self, "Function" + QByteArray::number(f), QByteArray(60, '\x0B'));
        if (i % 10 == 0)
            parent = self;
    }
    return w.Bytes();
}

int NativeExport(QTextStream &out, int classes)
{
    QTemporaryDir temp;
    const QByteArray mod = GeneratedMod(classes);
    if (!Write(temp.filePath("System/Engine.u"), Engine()) || !Write(temp.filePath("System/Mod.u"), mod))
        return 1;
    out << "package: " << mod.size() / 1024 << " KB, " << classes << " classes\n";
    // Into an empty directory (the first export), then over that export.
    bench::Figures fresh, again;
    NativeExportResult result;
    for (int run = 0; run < 11; ++run) {
        for (bench::Figures *figures : {&fresh, &again}) {
            // The earlier export is moved aside, not deleted: freeing its
            // blocks would load the file system while the next run is timed.
            if (figures == &fresh)
                QDir(temp.path()).rename(QStringLiteral("Mod"), QStringLiteral("Earlier%1").arg(run));
            QElapsedTimer timer;
            timer.start();
            result = NativeExporter(temp.path()).Export(QStringLiteral("Mod"));
            figures->Add(double(timer.nsecsElapsed()) / 1e6);
            if (result.written.size() != classes) {
                out << result.Report(QStringLiteral("Mod")) << "\n";
                return 1;
            }
        }
    }
    bench::Print(out, "native export: ", fresh, 1, QStringLiteral("(goal: under 200 ms)"));
    bench::Print(out, "  again, over its own export: ", again, 1, QStringLiteral("(goal: under 200 ms)"));

    // The same without the files: what the file system adds is the rest.
    bench::Figures rendering;
    for (int run = 0; run < 11; ++run) {
        QElapsedTimer timer;
        timer.start();
        PackageSet packages(temp.path() + QStringLiteral("\\System"));
        const PackageFile &file = packages.Adopt(PackageFile::Open(temp.path() + QStringLiteral("\\System\\Mod.u")));
        GameConfig config(temp.path() + QStringLiteral("\\System"));
        DefaultsRenderer renderer(packages, config);
        qsizetype bytes = 0;
        for (const PackageClass &c : file.Classes())
            bytes += NativeExporter::FileText(file.SourceText(c).value_or(QString()), renderer.Render(file, c)).size();
        rendering.Add(double(timer.nsecsElapsed()) / 1e6);
        if (bytes == 0)
            return 1;
    }
    bench::Print(out, "  of which reading and rendering: ", rendering, 1);
    return 0;
}

// The synthetic game's sources packed into compiled packages (each class's
// source text and its parent), padded with function data to a stock game's
// size; the package directories are then removed.
qsizetype CompileGame(const QString &dir, qsizetype targetBytes)
{
    static const QRegularExpression declaration(QStringLiteral("class\\s+(\\w+)(?:\\s+(?:extends|expands)\\s+(\\w+))?"));
    QHash<QString, QString> packageOf;
    QMap<QString, QMap<QString, QByteArray>> sources;   // package -> class -> text
    qsizetype sourceBytes = 0;
    int classes = 0;
    for (const QString &package : QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (package == QLatin1String("System"))
            continue;
        QDirIterator files(dir + QLatin1Char('/') + package + QStringLiteral("/Classes"), {"*.uc"});
        while (files.hasNext()) {
            QFile file(files.next());
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray text = file.readAll();
            const QString name = QFileInfo(file.fileName()).completeBaseName();
            sources[package][name] = text;
            packageOf.insert(name, package);
            sourceBytes += text.size();
            ++classes;
        }
    }
    const qsizetype pad = classes ? std::max<qsizetype>(0, (targetBytes - sourceBytes) / classes) : 0;
    qsizetype total = 0;
    for (auto package = sources.cbegin(); package != sources.cend(); ++package) {
        P w;
        const int32_t function = w.ImportClass(w.ImportPackage("Core"), "Function");
        QHash<QString, int32_t> made;
        std::function<int32_t(const QString &)> make = [&](const QString &name) -> int32_t {
            if (made.contains(name))
                return made.value(name);
            const QByteArray &text = package.value().value(name);
            const QRegularExpressionMatch match = declaration.match(QString::fromLatin1(text));
            const QString parent = match.captured(2);
            int32_t parentRef = 0;
            if (!parent.isEmpty())
                parentRef = packageOf.value(parent) == package.key()
                    ? make(parent)
                    : w.ImportClass(w.ImportPackage(packageOf.value(parent).toLatin1()), parent.toLatin1());
            const int32_t self = w.Class(name.toLatin1(), parentRef, text);
            for (qsizetype left = pad; left > 0; left -= 2000)
                w.Export(function, 0, self, "F" + QByteArray::number(left), QByteArray(std::min<qsizetype>(left, 2000), '\x0B'));
            made.insert(name, self);
            return self;
        };
        for (const QString &name : package.value().keys())
            make(name);
        const QByteArray bytes = w.Bytes();
        total += bytes.size();
        Write(dir + QStringLiteral("/System/") + package.key() + QStringLiteral(".u"), bytes);
        QDir(dir + QLatin1Char('/') + package.key()).removeRecursively();
    }
    return total;
}

double ReadDefault(const QString &dir, int *classes)
{
    TOptions options;
    options.BaseDir = dir;
    NullEventPump pump;
    test::ScriptedPrompter prompter;   // answers No
    prompter.defaultYes = false;
    ClassModel model(options, pump, prompter);
    PackageLoader loader(model);
    loader.ReadDefaultPackages();   // warms the page cache
    double best = -1;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        loader.ReadDefaultPackages();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        best = best < 0 ? ms : std::min(best, ms);
    }
    *classes = model.ClassCount();
    return best;
}

int StockLike(QTextStream &out)
{
    QTemporaryDir sources, compiled;
    bench::SyntheticGameShape shape;
    shape.packages = 16;
    shape.classesPerPackage = 94;
    bench::WriteSyntheticGame(sources.path(), shape);
    bench::WriteSyntheticGame(compiled.path(), shape);
    const qsizetype bytes = CompileGame(compiled.path(), 10 * 1024 * 1024);
    int fromSources = 0, fromPackages = 0;
    const double sourceMs = ReadDefault(sources.path(), &fromSources);
    const double compiledMs = ReadDefault(compiled.path(), &fromPackages);
    out << "read default packages, from sources: " << QString::number(sourceMs, 'f', 1) << " ms (" << fromSources
        << " classes)\n";
    out << "read default packages, from " << bytes / 1024 << " KB of compiled packages: "
        << QString::number(compiledMs, 'f', 1) << " ms (" << fromPackages << " classes)   (goal: no slower)\n";
    return fromSources == fromPackages ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int classes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 700;
    if (const int failed = NativeExport(out, classes))
        return failed;
    return StockLike(out);
}
