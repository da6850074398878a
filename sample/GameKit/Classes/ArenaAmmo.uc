//=============================================================================
// GameKit: the Arena game type.
// Copyright (c) 2000 the GameKit team. Free to use in your own mods.
//=============================================================================

class ArenaAmmo extends Ammo;

defaultproperties
{
	AmmoAmount=20
	MaxAmmo=80
	PickupMessage="You picked up some rifle rounds."
}
