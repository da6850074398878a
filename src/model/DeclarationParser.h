#pragma once

#include "platform/FileSystem.h"

#include <QString>
#include <QStringView>

namespace kelvarin {

class EventPump;

// Reads the parent class from a source's class declaration, which comes
// before anything else but white space, comments and directive lines: the
// first other text, and any control character that no source holds (binary
// data), ends the search without a parent.
namespace DeclarationParser {

// The outcome of parsing a (possibly partial) source text.
struct Result
{
    // True when the text was enough to decide: a complete declaration was
    // found, or the text is complete and holds none.
    bool decided = false;
    QString parent;
};

// True when word is the keyword lowerKeyword (given in lower case),
// compared in ASCII only: locale case folding would let look-alike letters
// (the long s, the Kelvin sign) spell a keyword.
bool IsKeyword(QStringView word, QStringView lowerKeyword);

// Parses text; atEnd says whether text is the whole file. When atEnd is false
// and the declaration may continue past the end of text, decided is false and
// the caller reads more.
Result Parse(QStringView text, bool atEnd);

// The parent class named by the file's declaration, or empty when the file
// cannot be read, declares no parent, or the application is terminating.
// The file is read in pieces no further than the answer needs, and only the
// word at hand is kept, whatever the file's size.
QString FindParentClass(const QString &specPath, EventPump &pump);

// The same for an entry of a directory listing. Without a pump nothing else
// runs meanwhile, so it may be called on any thread.
QString FindParentClass(const FileSystem::Listing &listing, const FileSystem::Listing::Entry &entry,
                        EventPump *pump);

} // namespace DeclarationParser
} // namespace kelvarin
