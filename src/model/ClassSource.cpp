#include "model/ClassSource.h"

#include "model/ClassModel.h"
#include "package/PackageFile.h"
#include "model/Options.h"
#include "platform/Errors.h"
#include "platform/SpecPath.h"
#include "platform/TextFile.h"

namespace kelvarin::ClassSource {

QString SourcePath(const QString &baseDir, const QString &package, const QString &className)
{
    return baseDir + QLatin1Char('\\') + package + QLatin1String("\\Classes\\") + className + QLatin1String(".uc");
}

QString CompiledText(const PackageFile &package, const QString &className)
{
    const PackageClass *found = package.FindClass(className);
    if (!found)
        throw KelvarinError(QStringLiteral("%1 holds no class %2").arg(package.FileName(), className));
    const std::optional<QString> text = package.SourceText(*found);
    if (!text)
        throw KelvarinError(QStringLiteral("%1 holds no source text for class %2").arg(package.FileName(), className));
    return *text;
}

QString CompiledText(const ClassModel &model, const QString &package, const QString &className)
{
    return CompiledText(PackageFile::Open(model.CompiledPackagePath(package)), className);
}

QString Text(ClassModel &model, const QString &className)
{
    const QString package = model.FindPackage(className);
    if (package.isEmpty() || !SpecPath::IsSafeComponent(package) || !SpecPath::IsSafeComponent(className))
        throw KelvarinError(QStringLiteral("The package of class \"") + className
                            + QStringLiteral("\" is not known."));
    if (model.IsCompiledClass(className))
        return CompiledText(model, package, className);
    const QString path = SourcePath(model.Options().BaseDir, package, className);
    const std::optional<QString> text = TextFile::ReadAll(path);
    if (!text)
        throw KelvarinError(QStringLiteral("Cannot open file %1").arg(SpecPath::Display(path)));
    return *text;
}

QByteArray CopyBytes(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() > 0xFF)
            return TextFile::Encode(text, TextEncoding::Utf16LE);
    return text.toLatin1();
}

} // namespace kelvarin::ClassSource
