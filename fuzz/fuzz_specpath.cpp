// The path resolver: names cut from the input at 0x1E bytes are joined below
// a game directory. Whenever every name passes the safe-part check, the
// native path stays below the base directory, one level per name, each level
// the name itself or an entry that matches it ignoring case.
#include "FuzzSupport.h"

#include "platform/SpecPath.h"

#include <QDir>

using namespace kelvarin;

namespace {

// A few entries that differ from the names only in case, some twice.
fuzz::Scratch &Game()
{
    static fuzz::Scratch &game = [] () -> fuzz::Scratch & {
        fuzz::Scratch &scratch = fuzz::TheScratch();
        for (const char *file : {"System/UnrealTournament.ini", "SYSTEM/Core.u", "MyMod/Classes/MyActor.uc",
                                 "mymod/Classes/Other.UC", "Textures/Ünïcode.utx", "Maps/DM-Deck16][.unr"})
            scratch.Write(QString::fromUtf8(file), QByteArray("x"));
        return scratch;
    }();
    return game;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Scratch &game = Game();
    const QString base = game.Base();
    const QStringList names = QString::fromUtf8(fuzz::Bytes(data, size)).split(QChar(0x1e)).mid(0, 8);

    const QString gamePath = base + QLatin1Char('\\') + names.join(QLatin1Char('\\'));
    const QString native = SpecPath::ToNative(gamePath);
    SpecPath::Display(gamePath);
    for (const QString &name : names)
        if (!SpecPath::IsSafeComponent(name))
            return 0;

    fuzz::Check(native.startsWith(base + QLatin1Char('/')), "a safe name left the base directory", native);
    fuzz::Check(QDir::cleanPath(native) == native, "a safe name resolved to . or ..", native);
    const QStringList parts = native.mid(base.size() + 1).split(QLatin1Char('/'));
    fuzz::Check(parts.size() == names.size(), "safe names resolved to another depth", native);
    for (qsizetype i = 0; i < parts.size(); ++i)
        fuzz::Check(parts[i].compare(names[i], Qt::CaseInsensitive) == 0, "a name resolved to another name",
                    names[i] + QLatin1String(" -> ") + parts[i]);
    return 0;
}
