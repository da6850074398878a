#pragma once

#include "platform/FileSystem.h"

#include "platform/FileDescriptor.h"

#include <QByteArray>
#include <QString>

#include <memory>

class QFile;

namespace kelvarin {

// A regular file opened for reading with as little ceremony as the OS
// allows: the scanner opens thousands of sources, and most of them are
// spelled right, so the name is tried as written before it is matched
// case-insensitively. Directories, pipes and devices are refused (reading
// one could block or never end).
class ReadOnlyFile
{
public:
    ReadOnlyFile();
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

    bool Open(const QString &specPath);
    // Opens an entry of a listing that found it to be a regular file.
    bool OpenListed(const FileSystem::Listing &listing, const FileSystem::Listing::Entry &entry);
    // Appends up to maxBytes more bytes; false at the end of the file or on
    // an error (nothing more will come).
    bool ReadMore(QByteArray &bytes, qint64 maxBytes);
    // Appends what one read gives, up to maxBytes; 0 at the end of the file
    // or on an error. (A reader that may stop early saves the read that
    // would only find the end.)
    qint64 ReadSome(QByteArray &bytes, qint64 maxBytes);
    // The file's size now, in bytes; -1 when no file is open or it cannot
    // be asked.
    qint64 Size() const;
    void Close();

private:
    FileDescriptor m_fd;             // POSIX
    std::unique_ptr<QFile> m_file;   // Windows, where there is no POSIX descriptor
};

} // namespace kelvarin
