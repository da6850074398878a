// Writes the seed corpus of the package reader's fuzz target with the tests'
// package writer:  kelvarin-package-seeds fuzz/corpus/package
// Run it by hand after changing the writer or the sample packages, and
// commit the files it writes.
#include "support/PackageWriter.h"

#include <QDir>
#include <QFile>

#include <cstdio>

using kelvarin::test::PackageWriter;

namespace {

bool Write(const QDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size())
        return true;
    std::fprintf(stderr, "kelvarin-package-seeds: cannot write %s\n", qPrintable(file.fileName()));
    return false;
}

// A class whose source text is stored wide (a negative length).
QByteArray WideSource()
{
    PackageWriter w;
    const int32_t textBuffer = w.ImportClass(w.ImportPackage("Core"), "TextBuffer");
    const int32_t c = w.Class("Wide", w.ImportClass(w.ImportPackage("Engine"), "Info"), std::nullopt);
    const QByteArray text = PackageWriter::Compact(w.Name("None")) + PackageWriter::Int32(0) + PackageWriter::Int32(0)
        + PackageWriter::Compact(-4) + QByteArray("c\0\x01\x20\n\0\0\0", 8);
    w.Export(textBuffer, 0, c, "ScriptText", text);
    return w.Bytes();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelvarin-package-seeds DIRECTORY\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(dir.path()))
        return 1;
    bool ok = true;
    for (int version : {69, 68, 64, 61})
        ok &= Write(dir, QStringLiteral("mod-v%1.u").arg(version), kelvarin::test::SampleModPackage(version).Bytes());
    ok &= Write(dir, QStringLiteral("core.u"), kelvarin::test::SampleCorePackage().Bytes());
    ok &= Write(dir, QStringLiteral("wide-source.u"), WideSource());
    ok &= Write(dir, QStringLiteral("standin.u"),
                QByteArray("KelvarinStandinPackage 1\npackage Mod\nclasses 1\nclass A - 9\nclass A;\n\nend\n"));
    return ok ? 0 : 1;
}
