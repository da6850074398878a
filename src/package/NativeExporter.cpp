#include "package/NativeExporter.h"

#include "package/DefaultsRenderer.h"
#include "package/GameConfig.h"
#include "package/PackageSet.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/SpecPath.h"
#include "platform/StagedFile.h"

#include <QHash>

namespace kelvarin {

QString NativeExportResult::Report(const QString &package) const
{
    QString text = QStringLiteral("%1: %2 classes written without UCC.exe.").arg(package).arg(written.size());
    if (!refused.isEmpty()) {
        text += QStringLiteral("\r\nNot written, their defaults cannot be rendered exactly:");
        for (const auto &[name, why] : refused)
            text += QStringLiteral("\r\n") + name + QStringLiteral(": ") + why;
    }
    if (!withoutSource.isEmpty())
        text += QStringLiteral("\r\nNot written, their source is not in the package: ")
            + withoutSource.join(QStringLiteral(", "));
    return text;
}

NativeExporter::NativeExporter(const QString &baseDir) : m_baseDir(baseDir) {}

QString NativeExporter::FileText(const QString &source, const QStringList &defaults)
{
    QString text = source;
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')) && !text.endsWith(QLatin1Char('\r')))
        text += QStringLiteral("\r\n");
    text += QStringLiteral("defaultproperties\r\n{\r\n");
    for (const QString &line : defaults)
        text += QStringLiteral("     ") + line + QStringLiteral("\r\n");
    text += QStringLiteral("}\r\n");
    return text;
}

NativeExportResult NativeExporter::Export(const QString &package)
{
    const QString systemDir = m_baseDir + QStringLiteral("\\System");
    if (!SpecPath::IsSafeComponent(package))
        throw KelvarinError(QStringLiteral("Cannot open file %1")
                                .arg(SpecPath::Display(systemDir + QLatin1Char('\\') + package + QStringLiteral(".u"))));
    PackageSet packages(systemDir);
    const PackageFile &file
        = packages.Adopt(PackageFile::Open(systemDir + QLatin1Char('\\') + package + QStringLiteral(".u")));
    GameConfig config(systemDir);
    DefaultsRenderer renderer(packages, config);

    const QString packageDir = m_baseDir + QLatin1Char('\\') + package;
    const QString classesDir = packageDir + QStringLiteral("\\Classes");
    bool madeDir = false;
    QString nativeDir;
    // The files already there, by upper-cased name: a class's file keeps the
    // letter case it has, as the game's case-blind file system would.
    QHash<QString, QString> existing;
    NativeExportResult result;
    for (const PackageClass &packageClass : file.Classes()) {
        const QString &name = packageClass.name;
        if (!packageClass.hasSource) {
            result.withoutSource.append(name);
            continue;
        }
        if (!SpecPath::IsSafeComponent(name)) {
            result.refused.append({name, QStringLiteral("the name cannot be a file name")});
            continue;
        }
        QString text;
        try {
            const std::optional<QString> source = file.SourceText(packageClass);
            if (!source) {
                result.withoutSource.append(name);
                continue;
            }
            for (const QChar c : *source)
                if (c.unicode() > 0xFF)
                    throw KelvarinError(QStringLiteral("its source holds characters beyond 8 bits"));
            text = FileText(*source, renderer.Render(file, packageClass));
        } catch (const KelvarinError &error) {
            result.refused.append({name, error.Message()});
            continue;
        }
        if (!madeDir) {
            for (const QString &dir : {packageDir, classesDir})
                if (!FileSystem::DirExists(dir) && !FileSystem::MakeDir(dir))
                    throw KelvarinError(QStringLiteral("Unable to create the directory ") + SpecPath::Display(dir));
            madeDir = true;
            nativeDir = SpecPath::ToNative(classesDir);
            for (const QString &entry : FileSystem::List(classesDir + QStringLiteral("\\*"), FileSystem::ListWhat::Everything))
                existing.insert(entry.toUpper(), entry);
        }
        const QString fileName = name + QStringLiteral(".uc");
        const QString path = nativeDir + QLatin1Char('/') + existing.value(fileName.toUpper(), fileName);
        if (!StagedFile::WriteFileIfChanged(path, text.toLatin1())) {
            result.refused.append({name, QStringLiteral("Unable to write ") + SpecPath::Display(classesDir + QLatin1Char('\\') + existing.value(fileName.toUpper(), fileName))});
            continue;
        }
        result.written.append(name);
    }
    // The listings kept for finding names ignoring case are stale now.
    SpecPath::ForgetListings();
    return result;
}

} // namespace kelvarin
