#include "persist/TreeText.h"

#include "model/Tree.h"
#include "platform/Errors.h"

#include <algorithm>
#include <vector>

namespace kelvarin::TreeText {

QStringList Write(const Tree &tree)
{
    QStringList lines;
    lines.reserve(tree.Count());
    for (TreeNode *node = tree.First(); node; node = Tree::Next(node))
        lines.append(QString(node->Depth(), QLatin1Char('\t')) + node->Text());
    return lines;
}

QString WriteText(const Tree &tree)
{
    qsizetype size = 0;
    for (TreeNode *node = tree.First(); node; node = Tree::Next(node))
        size += node->Depth() + node->Text().size() + 2;
    QString text(size, Qt::Uninitialized);
    QChar *out = text.data();
    for (TreeNode *node = tree.First(); node; node = Tree::Next(node)) {
        out = std::fill_n(out, node->Depth(), QLatin1Char('\t'));
        out = std::copy_n(node->Text().constData(), node->Text().size(), out);
        *out++ = QLatin1Char('\r');
        *out++ = QLatin1Char('\n');
    }
    return text;
}

void Read(Tree &tree, const QStringList &lines)
{
    tree.Clear();
    struct Level
    {
        int level;
        TreeNode *node;
    };
    std::vector<Level> stack;   // the path from a top-level node to the last node read
    for (const QString &line : lines) {
        int level = 0;
        while (level < line.size()
               && (line.at(level) == QLatin1Char('\t') || line.at(level) == QLatin1Char(' ')))
            ++level;
        const QString text = line.mid(level);
        if (text.isEmpty())
            continue;
        if (stack.empty()) {
            // The first node is top-level whatever its indentation.
            stack.push_back({level, tree.Add(nullptr, text)});
            continue;
        }
        const int previous = stack.back().level;
        if (level > previous + 1)
            throw KelvarinError(QStringLiteral("Invalid level (%1) for item \"%2\"").arg(level).arg(text));
        if (level == previous + 1) {
            stack.push_back({level, tree.Add(stack.back().node, text)});
            continue;
        }
        while (!stack.empty() && stack.back().level > level)
            stack.pop_back();
        TreeNode *parent = nullptr;
        if (!stack.empty()) {
            if (stack.back().level == level) {
                parent = stack.back().node->Parent();
                stack.pop_back();
            } else {
                parent = stack.back().node;
            }
        }
        if (!parent)
            stack.clear();
        stack.push_back({level, tree.Add(parent, text)});
    }
}

} // namespace kelvarin::TreeText
