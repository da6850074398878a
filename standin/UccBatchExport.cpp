#include "UccBatchExport.h"

#include "StandinPackage.h"
#include "UccKnobs.h"

#include "platform/SpecPath.h"
#include "platform/StagedFile.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace kelvarin::Standin {

namespace {

int Fail(const QString &text)
{
    std::fprintf(stderr, "Error: %s\n", text.toLocal8Bit().constData());
    return 1;
}

// A class name from the container becomes a file name: it must stay one
// plain component inside the target directory.
bool IsSafeClassName(const QString &name)
{
    if (!SpecPath::IsSafeComponent(name))
        return false;
    for (QChar c : name)
        if (!(c == u'_' || c.isLetterOrNumber()))
            return false;
    return true;
}

} // namespace

int RunBatchExport(const QStringList &arguments, const UccKnobs &knobs)
{
    if (arguments.size() < 4)
        return Fail(QStringLiteral("Usage: UCC BatchExport <package.u> Class uc <directory>"));
    if (arguments.at(1).compare(QLatin1String("Class"), Qt::CaseInsensitive) != 0
        || arguments.at(2).compare(QLatin1String("uc"), Qt::CaseInsensitive) != 0)
        return Fail(QStringLiteral("The UCC stand-in exports classes as uc only, not %1 %2")
                        .arg(arguments.at(1), arguments.at(2)));
    if (arguments.size() > 4)
        std::fprintf(stderr, "Warning: ignoring the arguments after %s\n", arguments.at(3).toLocal8Bit().constData());

    const QString packagePath = SpecPath::ToNative(arguments.at(0));
    const QString shown = QDir::toNativeSeparators(packagePath);
    StandinPackage package;
    switch (ReadPackage(packagePath, &package)) {
    case PackageKind::Standin:
        break;
    case PackageKind::GamePackage:
        return Fail(QStringLiteral("%1 is a package of the game itself, which the UCC stand-in cannot read; "
                                   "it exports only the packages it compiled").arg(shown));
    case PackageKind::Damaged:
        return Fail(QStringLiteral("%1 is damaged (cut short or malformed)").arg(shown));
    case PackageKind::Unknown:
        return Fail(QStringLiteral("%1 is not a package").arg(shown));
    case PackageKind::Unreadable:
        return Fail(QStringLiteral("Cannot open package file %1").arg(shown));
    }

    SleepMs(knobs.delayMs);
    if (knobs.hang)
        HangForever();

    const QString target = arguments.at(3);
    const QString nativeTarget = SpecPath::ToNative(target);
    if (!QDir().mkpath(nativeTarget) || !QFileInfo(nativeTarget).isDir())
        return Fail(QStringLiteral("Cannot create the directory %1").arg(QDir::toNativeSeparators(nativeTarget)));
    SpecPath::ForgetListings();

    int written = 0;
    for (const PackedClass &packed : package.classes) {
        if (!IsSafeClassName(packed.name))
            return Fail(QStringLiteral("%1 holds a class named '%2', which is no file name").arg(shown, packed.name));
        const QString file = SpecPath::ToNative(target + QLatin1Char('\\') + packed.name + QStringLiteral(".uc"));
        MaybeFailMidWrite(knobs, file, packed.source, false);
        if (QFileInfo(file).isDir() || !StagedFile::WriteFile(file, packed.source))
            return Fail(QStringLiteral("Cannot write %1").arg(QDir::toNativeSeparators(file)));
        ++written;
    }
    std::printf("Exported %d classes of %s to %s\n", written, package.name.toLocal8Bit().constData(),
                QDir::toNativeSeparators(nativeTarget).toLocal8Bit().constData());
    return 0;
}

} // namespace kelvarin::Standin
