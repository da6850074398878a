#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The ".u" file the UCC stand-in writes for a compiled package. It is a plain
// container of the package's classes, never a real game package: a real one
// starts with the four bytes C1 83 2A 9E (the magic 0x9E2A83C1, little
// endian), while this one starts with readable ASCII, so neither the game nor
// a reader of game packages can take one for the other.
//
// Layout (every count in decimal ASCII, every line ended by a single LF):
//
//   KelvarinStandinPackage 1            magic word and format version
//   package <Name>                      the package's name as listed
//   classes <N>                         number of class entries
//   then N times:
//     class <Name> <Parent|-> <Bytes>   class name, parent as the scanner reads
//                                       it ("-" for none), source size in bytes
//     <Bytes bytes of source>           the .uc file exactly as it was read
//                                       (byte-order mark and line ends kept)
//     LF
//   end                                 trailer: a file cut short lacks it
//
// The source is kept byte for byte so that BatchExport gives back the very
// file that was compiled, in its own encoding.
namespace kelvarin::Standin {

struct PackedClass
{
    QString name;
    QString parent;
    QByteArray source;
};

struct StandinPackage
{
    QString name;
    QList<PackedClass> classes;
};

enum class PackageKind {
    Standin,      // a complete container of ours
    GamePackage,  // starts with the real game's magic: we cannot read it
    Damaged,      // our magic, but cut short or malformed
    Unknown,      // neither: junk bytes, an empty file
    Unreadable    // missing, a directory, cannot be opened
};

QByteArray SerializePackage(const StandinPackage &package);

// Reads a .u file (a native path). Fills package only for PackageKind::Standin.
PackageKind ReadPackage(const QString &nativePath, StandinPackage *package);

} // namespace kelvarin::Standin
