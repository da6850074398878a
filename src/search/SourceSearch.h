#pragma once

#include <QString>

namespace kelvarin::SourceSearch {

struct FileMatch
{
    bool matched = false;
    int line = 0;        // 1 for the file's first line; 0 without a Containing text
    QString context;     // the line, tabs, CR and LF as blanks, trimmed
};

// Looks for upperContaining (already upper-cased by UpperCase) in the lines
// of the file at specPath, decoded as the scanner decodes sources (Latin-1,
// or UTF-16/UTF-8 with a byte-order mark). Lines are read whole: a line ends
// at LF, CR LF or a lone CR. The first line whose upper-cased text contains
// the text is the match. An empty text matches without reading the file;
// a file that is missing or cannot be read (a directory, say) does not.
FileMatch SearchFile(const QString &specPath, const QString &upperContaining);
// The same in text already read (the source a compiled package keeps).
FileMatch SearchText(const QString &text, const QString &upperContaining);

} // namespace kelvarin::SourceSearch
