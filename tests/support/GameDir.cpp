#include "support/GameDir.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace kelvarin::test {

GameDir::GameDir() = default;

QString GameDir::Native(const QString &relative) const
{
    return m_dir.path() + QLatin1Char('/') + relative;
}

void GameDir::WriteBytes(const QString &relative, const QByteArray &bytes) const
{
    const QString path = Native(relative);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

void GameDir::WriteText(const QString &relative, const QString &text) const
{
    WriteBytes(relative, text.toLatin1());
}

void GameDir::WriteClass(const QString &package, const QString &fileName,
                         const QString &declaration) const
{
    WriteText(package + QLatin1String("/Classes/") + fileName,
              QLatin1String("// generated for a test\r\n") + declaration
                  + QLatin1String("\r\n\r\nvar int Counter;\r\n"));
}

void GameDir::MakeDir(const QString &relative) const
{
    QDir().mkpath(Native(relative));
}

void GameDir::CopyData(const QString &data, const QString &relative) const
{
    const QString from = QStringLiteral(KELVARIN_TEST_DATA "/") + data;
    if (!QFileInfo(from).isDir())
        return WriteBytes(relative, Data(data));
    QDirIterator files(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = QDir(from).relativeFilePath(files.next());
        WriteBytes(relative.isEmpty() ? file : relative + QLatin1Char('/') + file, Data(data + QLatin1Char('/') + file));
    }
}

QByteArray GameDir::Data(const QString &data)
{
    QFile file(QStringLiteral(KELVARIN_TEST_DATA "/") + data);
    // A misspelt name must not pass as an empty file.
    if (!file.open(QIODevice::ReadOnly))
        qFatal("no test data file %s", qPrintable(file.fileName()));
    return file.readAll();
}

QByteArray GameDir::Read(const QString &relative) const
{
    QFile file(Native(relative));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool GameDir::Exists(const QString &relative) const
{
    return QFileInfo::exists(Native(relative));
}

} // namespace kelvarin::test
