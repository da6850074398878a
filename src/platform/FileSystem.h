#pragma once

#include "platform/FileDescriptor.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace kelvarin {
class EventPump;
}

namespace kelvarin::FileSystem {

enum class ListWhat { Files, Directories, Everything };

// Lists the names in the directory of specPattern whose names match its last
// component ("*.uc", "*"), case-insensitively as a Windows directory search
// does. "." and ".." are never listed. Order is the directory's own.
QStringList List(const QString &specPattern, ListWhat what);

// A listing together with what it already tells of each entry, and the
// directory kept open, so that a caller opening thousands of its files need
// neither ask the file system again nor have it walk the path each time.
struct Listing
{
    enum class Kind { Regular, Directory, Other };
    struct Entry
    {
        QString name;
        QByteArray nativeName;      // the name as the file system holds it
        Kind kind = Kind::Other;    // after symbolic links (a dangling link is Other)
    };
    QString nativeDir;   // the directory listed, as this OS names it; ends with a separator
    std::vector<Entry> entries;
    // The open directory (POSIX), closed with the listing; none on Windows.
    FileDescriptor dirHandle;
};

// As List with ListWhat::Everything, each entry with its kind.
Listing ListWithKinds(const QString &specPattern);

// True when anything matches specPattern (stops at the first match).
bool AnyMatch(const QString &specPattern);

// AnyMatch for each pattern, answered in order; a long list is shared with
// helper threads (the answers are the same). pump runs between the patterns
// this thread checks; once it says terminating, the rest answer false.
// likelyNames, when given, holds for each pattern a name (or nothing) that
// probably is in its directory: a name that matches the pattern and is there
// answers without listing the directory.
std::vector<char> AnyMatchEach(const QStringList &specPatterns, EventPump &pump,
                               const QStringList &likelyNames = {});

bool FileExists(const QString &specPath);
bool DirExists(const QString &specPath);
bool RemoveFile(const QString &specPath);
// Removes an entry of a listing by the name the file system holds (names
// that are not valid in the system's encoding included); a symbolic link
// itself, dangling or not, never what it leads to. True when the entry is
// gone, also when it had gone already; false for a directory.
bool RemoveListed(const QString &nativeDir, const QByteArray &nativeName);
// Removes an empty directory; fails when it holds anything.
bool RemoveDir(const QString &specPath);
bool MakeDir(const QString &specPath);

} // namespace kelvarin::FileSystem
