// The tree text reader: any text gives a consistent tree (or the level
// error), and what is written from that tree reads back as the same tree.
#include "FuzzSupport.h"

#include "model/Tree.h"
#include "persist/TreeText.h"
#include "platform/Errors.h"
#include "platform/TextFile.h"
#include "support/Raised.h"

using namespace kelvarin;

namespace {

void CheckConsistent(const Tree &tree)
{
    int walked = 0;
    for (TreeNode *node = tree.First(); node; node = Tree::Next(node)) {
        ++walked;
        fuzz::Check(node->OwnerTree() == &tree, "a node of another tree");
        fuzz::Check(!node->Text().isEmpty(), "a node without text");
        const Tree::NodeList *named = tree.NodesNamed(node->UpperText());
        fuzz::Check(named && named->contains(node), "a node missing from the name index", node->Text());
        if (TreeNode *parent = node->Parent())
            fuzz::Check(parent->Child(node->Row()) == node, "a node not where its parent has it");
    }
    fuzz::Check(walked == tree.Count(), "the count disagrees with the walk");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::Bytes(data, size);
    const QString text = TextFile::Decode(bytes);
    const QStringList lines = TextFile::SplitLines(text);
    Tree tree(Tree::Kind::ClassTree);
    // The nodes read before a bad line stay.
    const QString error = test::Raised([&] { TreeText::Read(tree, lines); });
    CheckConsistent(tree);

    // Read from the bytes in place: the same tree, the same error.
    Tree fromText(Tree::Kind::ClassTree);
    const QString textError = test::Raised([&] { TreeText::ReadBytes(fromText, bytes); });
    CheckConsistent(fromText);
    fuzz::Check(textError == error, "the text reader fails otherwise", textError);
    fuzz::Check(TreeText::Write(fromText) == TreeText::Write(tree), "the text reader reads another tree");
    fuzz::Check(TreeText::WriteText(tree) == (TreeText::Write(tree).join(QStringLiteral("\r\n"))
                                              + (tree.Count() ? QStringLiteral("\r\n") : QString())),
                "the tree written as one text differs from its lines");

    const QStringList written = TreeText::Write(tree);
    Tree again(Tree::Kind::ClassTree);
    fuzz::NoError("a written tree does not read back", [&] { TreeText::Read(again, written); });
    CheckConsistent(again);
    fuzz::Check(TreeText::Write(again) == written, "a written tree reads back as another tree");
    return 0;
}
