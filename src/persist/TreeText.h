#pragma once

#include <QStringList>

namespace kelvarin {

class Tree;

// The tree text format: one line per node in pre-order, the depth written as
// that many tabs before the text.
namespace TreeText {

QStringList Write(const Tree &tree);
// The same lines as one text, each followed by a carriage return and a line feed.
QString WriteText(const Tree &tree);

// Replaces the tree's content with the nodes of lines. Each leading tab or
// space counts as one level; lines with no text are passed over. Raises
// "Invalid level (%d) for item "%s"" for a line more than one level deeper
// than the line before it (the tree then holds the nodes read so far).
void Read(Tree &tree, const QStringList &lines);
// The same for a file's bytes, decoded as text files are and cut into lines
// at CR LF, LF or CR.
void ReadBytes(Tree &tree, const QByteArray &bytes);

} // namespace TreeText
} // namespace kelvarin
