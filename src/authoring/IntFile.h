#pragma once

#include "platform/TextFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kelvarin {

// A package's localisation file as the INT wizard sees it: the lines it edits
// (those before the first section header and those of every "[Public]"
// section) and, untouched, the bytes of every other section.
struct IntFileContent
{
    bool exists = false;
    TextEncoding encoding = TextEncoding::Latin1;
    // Decoded, in file order; section headers are not among them.
    QStringList publicLines;
    // Every other section, header, lines, blank lines and line ends, as raw
    // bytes in the file's encoding (without the byte-order mark), in order.
    QByteArray otherSections;
};

namespace IntFile {

// base directory + "\System\" + package + ".int"
QString PathFor(const QString &baseDir, const QString &package);

// True for a line whose text, trimmed, is "[Public]" in any letter case.
bool IsPublicHeader(const QString &line);
// True for a section header line: trimmed, it starts with "[" and ends with "]".
bool IsSectionHeader(const QString &line);

// Reads the file. A missing file (or a directory of that name) gives an empty
// content with exists false. Raises KelvarinError "Cannot open file %s" for a
// file that cannot be read or whose bytes would not survive a rewrite: NUL
// bytes without a UTF-16 byte-order mark (UTF-16 without one), an odd number
// of bytes after a UTF-16 mark, or text after a UTF-8 mark that is not UTF-8.
IntFileContent Read(const QString &specPath);

// True when line can be written into a file of that encoding and read back
// as the same one line.
bool CanHold(TextEncoding encoding, const QString &line);

// Replaces the file with lines (each ended by CR LF) followed by the other
// sections the file holds now, in its encoding (Latin-1 for a new file).
// The file is replaced atomically: on any failure the old file stays whole.
// Raises KelvarinError: "Cannot open file %s" when the present file cannot
// be read as Read() describes, a refusal naming the line when the encoding
// cannot hold one of lines, "Cannot create file %s" when writing fails.
void Write(const QString &specPath, const QStringList &lines);

} // namespace IntFile
} // namespace kelvarin
