#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// The checks the UCC stand-in makes on one UnrealScript source before it
// packs the class. They are deliberately conservative: the stand-in must
// accept every source the game's own compiler accepts, so only what is
// surely wrong is reported:
//   - braces, parentheses and brackets that do not pair up, counted in code
//     only (not in comments, strings or name literals);
//   - a string "..." (with \" escapes) or a name literal '...' that does not
//     end on its line;
//   - a block comment that never ends (block comments do not nest);
//   - a defaultproperties block that never closes;
//   - no class declaration at all.
// Lines whose first non-blank character is '#' (#exec and friends) are
// directives and are not checked. Inside defaultproperties every line is a
// value that runs to the end of the line, as the game reads it; the block
// ends at a line that starts or ends with '}'.
// The class name and parent are checked by the caller, which knows the file
// name and the classes of the other packages.
namespace kelvarin::Standin {

struct SourceFault
{
    int line = 0;       // 1-based
    QString text;       // what is wrong, without file and line
};

struct SourceReport
{
    QString className;          // as declared; empty without a declaration
    int declarationLine = 0;    // line of the word "class"
    QString parent;             // as the scanner reads it (last part of Pkg.Class)
    QList<SourceFault> faults;  // in order of appearance
};

SourceReport CheckSource(QStringView text);

} // namespace kelvarin::Standin
