#pragma once

#include "platform/RegFileRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace kelvarin::test {

// The key the program keeps its options and window layout under.
inline const QString kKelvarinKey = QStringLiteral("\\Software\\Vexa\\Kelvarin");

// A registry store in a throw-away directory.
struct TempRegistry
{
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Kelvarin/registry.reg"));
    RegFileRegistry reg{path};

    QByteArray Bytes(const QString &file = QString()) const
    {
        QFile f(file.isEmpty() ? path : file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    bool Write(const QByteArray &bytes) const
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }

    // A store path whose folder is a regular file: nothing can be created there.
    QString BlockedPath() const
    {
        QFile blocker(dir.filePath(QStringLiteral("blocked")));
        if (blocker.open(QIODevice::WriteOnly))
            blocker.write("not a folder");
        return blocker.fileName() + QStringLiteral("/registry.reg");
    }
};

} // namespace kelvarin::test
