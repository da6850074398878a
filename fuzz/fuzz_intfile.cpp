// The .int reader and writer: the [Public] lines read are written back as
// the INT wizard writes them (under their header, then with one more line),
// and the file must read as the same content; a refused write leaves the file
// as it was.
#include "FuzzSupport.h"

#include "authoring/IntFile.h"
#include "platform/Errors.h"

using namespace kelvarin;

namespace {

const QString kInt = QStringLiteral("System/FuzzMod.int");
const QString kHeader = QStringLiteral("[Public]");

bool Same(const IntFileContent &a, const IntFileContent &b)
{
    return a.exists == b.exists && a.encoding == b.encoding && a.publicLines == b.publicLines
        && a.otherSections == b.otherSections;
}

IntFileContent ReadBack(const QString &path)
{
    return fuzz::NoError("a written file cannot be read", [&] { return IntFile::Read(path); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray original = fuzz::Bytes(data, size);
    const fuzz::Scratch &scratch = fuzz::ScratchWith(kInt, original);
    const QString path = scratch.GamePath(kInt);

    IntFileContent content;
    try {
        content = IntFile::Read(path);
    } catch (const KelvarinError &) {
        return 0;
    }
    fuzz::Check(content.exists, "an existing file reads as missing");

    try {
        IntFile::Write(path, QStringList{kHeader} + content.publicLines);
    } catch (const KelvarinError &error) {
        fuzz::Check(scratch.Read(kInt) == original, "a refused write changed the file", error.Message());
        return 0;
    }
    const QByteArray written = scratch.Read(kInt);
    const IntFileContent again = ReadBack(path);
    fuzz::Check(Same(again, content), "the file reads back as other content");

    fuzz::NoError("a written file cannot be written again",
                  [&] { IntFile::Write(path, QStringList{kHeader} + content.publicLines); });
    fuzz::Check(scratch.Read(kInt) == written, "writing the same lines again changed the file");

    const QString added = QStringLiteral("Object=(Name=FuzzMod.FuzzMutator,Class=Class,MetaClass=Engine.Mutator)");
    fuzz::NoError("a line that every encoding holds was refused",
                  [&] { IntFile::Write(path, QStringList{kHeader} + content.publicLines + QStringList{added}); });
    const IntFileContent grown = ReadBack(path);
    fuzz::Check(grown.publicLines == content.publicLines + QStringList{added}, "an added line was lost");
    fuzz::Check(grown.otherSections == content.otherSections && grown.encoding == content.encoding,
                "adding a line changed the other sections");
    return 0;
}
