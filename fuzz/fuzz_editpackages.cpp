// EditPackages of UnrealTournament.ini: what is read is written back and
// must read the same; the backup is the file as it was, every other line
// stays (stripped), and writing the same list again changes nothing.
#include "FuzzSupport.h"

#include "model/EditPackagesFile.h"
#include "model/TextRules.h"
#include "platform/Errors.h"
#include "platform/TextFile.h"
#include "support/ScriptedPrompter.h"

using namespace kelvarin;

namespace {

const QString kIni = QStringLiteral("System/UnrealTournament.ini");

// The file's lines less the EditPackages lines of the section, stripped.
QStringList OtherLines(const QByteArray &bytes)
{
    enum { Before, Inside, After } where = Before;
    QStringList kept;
    for (const QString &line : TextFile::SplitLines(TextFile::Decode(bytes))) {
        const QString stripped = Trim(line);
        if (where == Inside && stripped.startsWith(QLatin1Char('[')))
            where = After;
        if (where == Before && UpperCase(stripped) == QLatin1String("[EDITOR.EDITORENGINE]"))
            where = Inside;
        else if (where == Inside && EditPackagesFile::IsEditPackagesLine(stripped))
            continue;
        kept.append(stripped);
    }
    return kept;
}

QStringList ReadList(EditPackagesFile &file, const char *what)
{
    QStringList list;
    fuzz::Check(fuzz::NoError(what, [&] { return file.ReadEditPackagesList(list); }), what);
    return list;
}

void WriteList(EditPackagesFile &file, const QStringList &list)
{
    fuzz::NoError("a list that was read cannot be written back", [&] { file.WriteEditPackagesList(list); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray original = fuzz::Bytes(data, size);
    const fuzz::Scratch &scratch = fuzz::ScratchWith(kIni, original);

    test::ScriptedPrompter prompter;
    EditPackagesFile file(scratch.Base(), prompter);
    QStringList list;
    try {
        if (!file.ReadEditPackagesList(list))
            return 0;   // no [Editor.EditorEngine] section
    } catch (const KelvarinError &) {
        fuzz::Check(scratch.Read(kIni) == original, "a refused file was changed");
        return 0;
    }

    WriteList(file, list);
    fuzz::Check(scratch.Read(kIni + QLatin1String("_Backup")) == original, "the backup is not the file as it was");
    const QByteArray written = scratch.Read(kIni);
    const QStringList again = ReadList(file, "a written file does not read back");
    fuzz::Check(again == list, "the list read back differs",
                list.join(QLatin1Char('|')) + QLatin1String(" != ") + again.join(QLatin1Char('|')));
    fuzz::Check(OtherLines(written) == OtherLines(original), "a line outside the list changed",
                OtherLines(original).join(QLatin1Char('|')) + QLatin1String(" -> ")
                    + OtherLines(written).join(QLatin1Char('|')));

    WriteList(file, again);
    fuzz::Check(scratch.Read(kIni) == written, "writing the same list again changed the file");
    return 0;
}
