#pragma once

#include "model/Options.h"
#include "support/GameDir.h"

#include <QStringList>

namespace kelvarin::test::WriterVersions {

// The game the writer-loop victim works in: three packages, the first two
// in EditPackages, and MyMod's .int with a section the INT writer keeps.
inline void WriteGame(const GameDir &game)
{
    game.MakeDir(QStringLiteral("States"));
    game.CopyData(QStringLiteral("writer-game"), QString());
}

// The two EditPackages lists the ini rewrite alternates between.
inline QStringList EditPackages(bool a)
{
    return a ? QStringList{QStringLiteral("Core"), QStringLiteral("Engine"), QStringLiteral("MyMod")}
             : QStringList{QStringLiteral("Core"), QStringLiteral("Engine")};
}

// Two option records that differ in every stored value.
inline TOptions Options(bool a)
{
    TOptions o;
    o.BaseDir = a ? QStringLiteral("C:\\UT") : QStringLiteral("D:\\Games\\UnrealTournament");
    o.CommandLine = a ? QStringLiteral("ctf-face") : QStringLiteral("dm-deck16][?game=Botpack.DeathMatchPlus");
    o.bUCCVisibleCompile = a;
    o.bUCCVisibleExport = !a;
    o.bTestrunAfterCompile = a;
    o.UCCPriority = a ? 64 : 256;
    o.LastCompiledPackage = a ? QStringLiteral("MyMod") : QStringLiteral("OtherMod");
    return o;
}

// Two sets of [Public] lines for MyMod.int.
inline QStringList IntLines(bool a)
{
    return a ? QStringList{QStringLiteral("Object=(Name=MyMod.MyActor,Class=Class,MetaClass=Engine.Mutator)")}
             : QStringList{QStringLiteral("Object=(Name=MyMod.MyActor,Class=Class,MetaClass=Engine.Mutator)"),
                           QStringLiteral("Preferences=(Caption=\"My Mod\",Parent=\"Advanced Options\")")};
}

} // namespace kelvarin::test::WriterVersions
