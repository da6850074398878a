//=============================================================================
// GameKit: the Arena game type.
// Copyright (c) 2000 the GameKit team. Free to use in your own mods.
//=============================================================================

class ArenaPRI extends PlayerReplicationInfo;

// Kills in a row without dying.
var int Streak;

replication
{
	reliable if( Role == ROLE_Authority )
		Streak;
}
