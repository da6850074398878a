// The compiled-package reader: any bytes either read as a package or raise
// the reader's error naming the file. A package read from its file lists
// what the same bytes list in memory, its classes agree with its export
// table, and every class's source text reads, is absent exactly when the
// class is marked so, or raises the error naming the file. Every class's
// defaults either render as lines without a line break or raise the
// reader's error.
#include "FuzzSupport.h"

#include "package/DefaultsRenderer.h"
#include "package/GameConfig.h"
#include "package/PackageFile.h"
#include "package/PackageSet.h"
#include "platform/Errors.h"

using namespace kelvarin;

namespace {

const QString kPackage = QStringLiteral("System/Fuzz.u");

QStringList Describe(const PackageFile &package)
{
    QStringList lines;
    for (const PackageClass &c : package.Classes())
        lines << c.name + QLatin1Char(' ') + c.parent + QLatin1Char(' ') + c.parentPackage + QLatin1Char(' ')
                + QString::number(c.exportIndex) + QLatin1Char(' ') + QString::number(c.sourceExport);
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::Bytes(data, size);
    const fuzz::Scratch &scratch = fuzz::ScratchWith(kPackage, bytes);

    std::optional<PackageFile> package;
    try {
        package = PackageFile::Open(scratch.GamePath(kPackage));
    } catch (const KelvarinError &error) {
        fuzz::Check(error.Message().contains(QLatin1String("Fuzz.u")), "an error does not name the file",
                    error.Message());
        return 0;
    }
    fuzz::Check(package->PackageName() == QLatin1String("Fuzz"), "the package is not named after its file");

    PackageFile inMemory = PackageFile::FromBytes(bytes, QStringLiteral("Fuzz"), QStringLiteral("Fuzz.u"));
    fuzz::Check(Describe(inMemory) == Describe(*package), "the file and its bytes list other classes");

    const auto &exports = package->Exports();
    for (const PackageClass &c : package->Classes()) {
        fuzz::Check(c.exportIndex >= 0 && size_t(c.exportIndex) < exports.size(), "a class outside the exports");
        const PackageFile::Export &entry = exports[size_t(c.exportIndex)];
        fuzz::Check(entry.classRef == 0 && entry.outer == 0 && entry.serialSize > 0,
                    "a class that is not a top-level class export", c.name);
        fuzz::Check(c.hasSource == (c.sourceExport >= 0), "a class's source mark and text buffer disagree", c.name);
        fuzz::Check(package->FindClass(c.name) != nullptr, "a listed class is not found by its name", c.name);
        try {
            const std::optional<QString> text = package->SourceText(c);
            fuzz::Check(text.has_value() == c.hasSource, "a class's source text and its mark disagree", c.name);
            if (text)
                fuzz::Check(text->size() <= package->ExportData(c.sourceExport).size(),
                            "a source text longer than its data", c.name);
        } catch (const KelvarinError &error) {
            fuzz::Check(error.Message().contains(QLatin1String("Fuzz.u")), "an error does not name the file",
                        error.Message());
        }
    }

    PackageSet packages(scratch.GamePath(QStringLiteral("System")));
    const PackageFile &adopted = packages.Adopt(std::move(inMemory));
    GameConfig config(scratch.GamePath(QStringLiteral("System")));
    DefaultsRenderer renderer(packages, config);
    for (const PackageClass &c : adopted.Classes()) {
        try {
            for (const QString &line : renderer.Render(adopted, c))
                fuzz::Check(!line.contains(QLatin1Char('\n')) && !line.contains(QLatin1Char('\r')),
                            "a default renders with a line break", line);
        } catch (const KelvarinError &) {
        }
    }
    return 0;
}
