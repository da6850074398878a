// The class-declaration scanner: the parser on the whole text and on parts of
// it, the chunked read of one source file, and a package scan over that file.
#include "FuzzSupport.h"

#include "model/DeclarationParser.h"
#include "model/Scanner.h"
#include "model/SortedList.h"
#include "platform/TextFile.h"

using namespace kelvarin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::Bytes(data, size);
    const QString text = TextFile::Decode(bytes);

    const DeclarationParser::Result whole = DeclarationParser::Parse(text, true);
    fuzz::Check(whole.decided, "a whole text is always decided");

    // A parse that decides on part of the text has seen all it needed: the
    // rest cannot change its answer.
    constexpr int kCuts = 16;
    for (int i = 1; i < kCuts; ++i) {
        const qsizetype cut = text.size() * i / kCuts;
        const DeclarationParser::Result part = DeclarationParser::Parse(QStringView(text).first(cut), false);
        if (part.decided)
            fuzz::Check(part.parent == whole.parent, "a decided prefix disagrees with the whole text",
                        QString::number(cut) + QLatin1Char(' ') + part.parent + QLatin1String(" != ") + whole.parent);
    }

    // The scanner reads the file in growing chunks and must come to the same answer.
    const fuzz::Scratch &scratch = fuzz::ScratchWith(QStringLiteral("MyMod/Classes/Fuzzed.uc"), bytes);
    fuzz::Model model(scratch.Base());
    const QString parent =
        DeclarationParser::FindParentClass(scratch.GamePath(QStringLiteral("MyMod/Classes/Fuzzed.uc")), model.pump);
    fuzz::Check(parent == whole.parent, "the chunked read disagrees with the whole text",
                parent + QLatin1String(" != ") + whole.parent);

    SortedList staged;
    Scanner::ScanPackageDir(model.model, staged, scratch.GamePath(QStringLiteral("MyMod/Classes/")));
    fuzz::Check(staged.Entries() == QStringList{whole.parent + QLatin1String("=Fuzzed&MyMod")},
                "the package scan staged something else", staged.Entries().join(QLatin1Char('|')));
    return 0;
}
