//=============================================================================
// GameKit: the Arena game type.
// Copyright (c) 2000 the GameKit team. Free to use in your own mods.
//=============================================================================

class ArenaLauncher extends ArenaRifle;

function Fire( float Value )
{
	ProjectileFire( ProjectileClass );
}

defaultproperties
{
	ProjectileClass=Class'GameKit.ArenaRocket'
	ItemName="Arena Launcher"
	PickupMessage="You got the Arena Launcher."
}
