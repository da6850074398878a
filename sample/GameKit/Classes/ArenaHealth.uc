//=============================================================================
// GameKit: the Arena game type.
// Copyright (c) 2000 the GameKit team. Free to use in your own mods.
//=============================================================================

/* Heals by HealingAmount, up to the pawn's default health.
   Respawns only when the game allows it. */
class ArenaHealth extends Pickup;

var() int HealingAmount;

function Touch( actor Other )
{
	local Pawn P;

	P = Pawn(Other);
	if( P != None && P.Health < P.Default.Health )
	{
		P.Health = Min( P.Health + HealingAmount, P.Default.Health );
		Destroy();
	}
}

defaultproperties
{
	HealingAmount=20
	PickupMessage="You picked up a health pack +"
}
