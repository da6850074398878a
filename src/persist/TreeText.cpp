#include "persist/TreeText.h"

#include "model/Tree.h"
#include "platform/Errors.h"
#include "platform/TextFile.h"

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

namespace {

// Builds a tree line by line.
class Reader
{
public:
    explicit Reader(Tree &tree)
        : m_tree(tree)
    {
        m_tree.Clear();
        // Nothing is looked up while a saved tree is read; the name index is
        // built when something first is, in one pass (a tree loaded and never
        // searched never needs it).
        m_tree.DeferIndex();
    }

    // line is a QStringView or a QLatin1StringView.
    template <typename View>
    void Take(View line)
    {
        int level = 0;
        while (level < line.size()
               && (line.at(level) == QLatin1Char('\t') || line.at(level) == QLatin1Char(' ')))
            ++level;
        const View text = line.sliced(level);
        if (text.isEmpty())
            return;
        if (m_stack.empty()) {
            // The first node is top-level whatever its indentation.
            m_stack.push_back({level, m_tree.Add(nullptr, text.toString())});
            return;
        }
        const int previous = m_stack.back().level;
        if (level > previous + 1)
            throw KelvarinError(QStringLiteral("Invalid level (%1) for item \"%2\"").arg(level).arg(text));
        if (level == previous + 1) {
            m_stack.push_back({level, m_tree.Add(m_stack.back().node, text.toString())});
            return;
        }
        while (!m_stack.empty() && m_stack.back().level > level)
            m_stack.pop_back();
        TreeNode *parent = nullptr;
        if (!m_stack.empty()) {
            if (m_stack.back().level == level) {
                parent = m_stack.back().node->Parent();
                m_stack.pop_back();
            } else {
                parent = m_stack.back().node;
            }
        }
        if (!parent)
            m_stack.clear();
        m_stack.push_back({level, m_tree.Add(parent, text.toString())});
    }

private:
    struct Level
    {
        int level;
        TreeNode *node;
    };
    Tree &m_tree;
    std::vector<Level> m_stack;   // the path from a top-level node to the last node read
};

} // namespace

void Read(Tree &tree, const QStringList &lines)
{
    Reader reader(tree);
    for (const QString &line : lines)
        reader.Take(QStringView(line));
}

void ReadBytes(Tree &tree, const QByteArray &bytes)
{
    Reader reader(tree);
    TextFile::ForEachLineOfBytes(bytes, [&reader](auto line) { reader.Take(line); });
}

} // namespace kelvarin::TreeText
