#pragma once

#include <QByteArray>
#include <QString>

namespace kelvarin {

// A regular file opened for reading with as little ceremony as the OS
// allows: the scanner opens thousands of sources, and most of them are
// spelled right, so the name is tried as written before it is matched
// case-insensitively. Directories, pipes and devices are refused (reading
// one could block or never end).
class ReadOnlyFile
{
public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

    bool Open(const QString &specPath);
    // Opens a path as this OS names it (from a listing), with no case matching.
    bool OpenNative(const QString &nativePath);
    // Appends up to maxBytes more bytes; false at the end of the file or on
    // an error (nothing more will come).
    bool ReadMore(QByteArray &bytes, qint64 maxBytes);
    void Close();

private:
    int m_fd = -1;
    void *m_qfile = nullptr;   // used where there is no POSIX file descriptor
};

} // namespace kelvarin
