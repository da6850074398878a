// Times the compiled-package reader on a generated package of about 2 MB
// (the size of the game's largest packages), read from its file each run:
//
//   the class list (goal: under 5 ms), and the source text of every class.
//
//   bench_package [classes]
//
// The package is written with the tests' package writer: each class has a
// source text of about 2.5 KB, a few functions and default properties.

#include "BenchSupport.h"

#include "package/PackageFile.h"
#include "support/PackageWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

using namespace kelvarin;
using test::PackageWriter;

namespace {

QByteArray GeneratedPackage(int classes)
{
    PackageWriter w;
    const int32_t core = w.ImportPackage("Core");
    const int32_t function = w.ImportClass(core, "Function");
    int32_t parent = w.ImportClass(w.ImportPackage("Engine"), "Actor");
    const QByteArray line = "    // a line of source text, as long as an ordinary line of code is\r\n";
    for (int i = 0; i < classes; ++i) {
        const QByteArray name = "Generated" + QByteArray::number(i);
        const QByteArray defaults = w.Property("Charge", PackageWriter::IntType, PackageWriter::Int32(i))
            + w.BoolProperty("bStatic", i % 2) + w.EndOfProperties();
        const int32_t cls = w.Class(name, parent, "class " + name + " extends Parent;\r\n" + line.repeated(36), defaults);
        for (int f = 0; f < 4; ++f)
            w.Export(function, 0, cls, "Function" + QByteArray::number(f), QByteArray(60, '\x0B'));
        if (i % 10 == 0)
            parent = cls;
    }
    return w.Bytes();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int classes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 700;
    QTemporaryDir temp;
    const QString path = temp.filePath(QStringLiteral("Generated.u"));
    const QByteArray bytes = GeneratedPackage(classes);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return 1;
    file.close();
    out << "package: " << bytes.size() / 1024 << " KB, " << classes << " classes\n";

    const int runs = 21;
    bench::Figures list, sources;
    qsizetype textBytes = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const PackageFile package = PackageFile::Open(path);
        const qsizetype count = package.Classes().size();
        list.Add(double(timer.nsecsElapsed()) / 1e6);
        if (count != classes)
            return 1;
        timer.start();
        textBytes = 0;
        for (const PackageClass &c : package.Classes())
            textBytes += package.SourceText(c).value_or(QString()).size();
        sources.Add(double(timer.nsecsElapsed()) / 1e6);
    }
    bench::Print(out, "class list: ", list, 2, QStringLiteral("(goal: under 5 ms)"));
    bench::Print(out, "every source text: ", sources, 2, QStringLiteral("(%1 KB of text)").arg(textBytes / 1024));
    return 0;
}
