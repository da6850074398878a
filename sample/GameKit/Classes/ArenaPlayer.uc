//=============================================================================
// GameKit: the Arena game type.
// Copyright (c) 2000 the GameKit team. Free to use in your own mods.
//=============================================================================

class ArenaPlayer extends PlayerPawn;

var int Taunts;

exec function Taunt( name Sequence )
{
	if( Taunts++ < 3 )
		PlayAnim( Sequence, 0.7, 0.2 );
}

function Died( Pawn Killer, name DamageType, vector HitLocation )
{
	Taunts = 0;
	Super.Died( Killer, DamageType, HitLocation );
}
