// The class-declaration scanner: the parser on the whole text and on parts of
// it, the chunked read of one source file, and a package scan over that file.
#include "FuzzSupport.h"

#include "model/ClassModel.h"
#include "model/DeclarationParser.h"
#include "model/Scanner.h"
#include "model/SortedList.h"
#include "model/Options.h"
#include "platform/EventPump.h"
#include "platform/TextFile.h"
#include "support/ScriptedPrompter.h"

using namespace kelvarin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Scratch &scratch = fuzz::TheScratch();
    scratch.Reset();
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
    scratch.Write(QStringLiteral("MyMod/Classes/Fuzzed.uc"), bytes);
    NullEventPump pump;
    const QString parent = DeclarationParser::FindParentClass(scratch.GamePath(QStringLiteral("MyMod/Classes/Fuzzed.uc")), pump);
    fuzz::Check(parent == whole.parent, "the chunked read disagrees with the whole text",
                parent + QLatin1String(" != ") + whole.parent);

    TOptions options;
    options.BaseDir = scratch.Base();
    test::ScriptedPrompter prompter;
    ClassModel model(options, pump, prompter);
    SortedList staged;
    Scanner::ScanPackageDir(model, staged, scratch.GamePath(QStringLiteral("MyMod/Classes/")));
    fuzz::Check(staged.Entries() == QStringList{whole.parent + QLatin1String("=Fuzzed&MyMod")},
                "the package scan staged something else", staged.Entries().join(QLatin1Char('|')));
    return 0;
}
