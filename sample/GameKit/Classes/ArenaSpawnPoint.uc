//=============================================================================
// GameKit: the Arena game type.
// Copyright (c) 2000 the GameKit team. Free to use in your own mods.
//=============================================================================

class ArenaSpawnPoint extends PlayerStart;

var() bool bFirstRoundOnly;
