// The comment template: a package's Comment.txt goes into a new class file,
// which must read back as exactly the lines it was made of.
#include "FuzzSupport.h"

#include "authoring/NewClassCommands.h"
#include "platform/TextFile.h"

using namespace kelvarin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Scratch &scratch = fuzz::ScratchWith(QStringLiteral("FuzzMod/Comment.txt"), fuzz::Bytes(data, size));
    fuzz::Model model(scratch.Base());
    NewClassCommands commands(model.model);
    const QStringList lines = commands.ClassFileLines(QStringLiteral("FuzzClass"), QStringLiteral("Actor"),
                                                      QStringLiteral("FuzzMod"));
    for (const QString &each : lines)
        fuzz::Check(!each.contains(QLatin1Char('\r')) && !each.contains(QLatin1Char('\n')),
                    "a comment line holds a line end");

    fuzz::Check(commands.CreateClassFile(QStringLiteral("FuzzClass"), QStringLiteral("Actor"), QStringLiteral("FuzzMod")),
                "the class file was not created", model.prompter.Texts().join(QLatin1Char('|')));
    const std::optional<QString> text = TextFile::ReadAll(scratch.GamePath(QStringLiteral("FuzzMod/Classes/FuzzClass.uc")));
    fuzz::Check(text.has_value(), "the class file cannot be read");
    fuzz::Check(TextFile::SplitLines(*text) == lines, "the class file reads back as other lines");
    return 0;
}
