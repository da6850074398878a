#include "platform/ReadOnlyFile.h"

#include "platform/SpecPath.h"

#include <QFile>
#include <QFileInfo>

namespace kelvarin {

ReadOnlyFile::ReadOnlyFile() = default;

ReadOnlyFile::~ReadOnlyFile() = default;

void ReadOnlyFile::Close()
{
    m_file.reset();
}

bool ReadOnlyFile::Open(const QString &specPath)
{
    Close();
    const QString path = SpecPath::ToNative(specPath);
    if (!QFileInfo(path).isFile())
        return false;
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return false;
    m_file = std::move(file);
    return true;
}

bool ReadOnlyFile::OpenListed(const FileSystem::Listing &listing, const FileSystem::Listing::Entry &entry)
{
    Close();
    const QString nativePath = listing.nativeDir + entry.name;
    if (entry.kind != FileSystem::Listing::Kind::Regular || !QFileInfo(nativePath).isFile())
        return false;
    auto file = std::make_unique<QFile>(nativePath);
    if (!file->open(QIODevice::ReadOnly))
        return false;
    m_file = std::move(file);
    return true;
}

qint64 ReadOnlyFile::ReadSome(QByteArray &bytes, qint64 maxBytes)
{
    QFile *file = m_file.get();
    if (!file || maxBytes <= 0)
        return 0;
    const QByteArray piece = file->read(maxBytes);
    bytes.append(piece);
    return piece.size();
}

qint64 ReadOnlyFile::Size() const
{
    const QFile *file = m_file.get();
    return file ? file->size() : -1;
}

bool ReadOnlyFile::ReadMore(QByteArray &bytes, qint64 maxBytes)
{
    QFile *file = m_file.get();
    if (!file || maxBytes <= 0)
        return false;
    const QByteArray piece = file->read(maxBytes);
    bytes.append(piece);
    return piece.size() == maxBytes && !file->atEnd();
}

} // namespace kelvarin
