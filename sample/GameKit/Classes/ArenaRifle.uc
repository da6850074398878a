//=============================================================================
// GameKit: the Arena game type.
// Copyright (c) 2000 the GameKit team. Free to use in your own mods.
//=============================================================================

class ArenaRifle extends Weapon;

#exec MESH IMPORT MESH=ArenaRifleM ANIVFILE=Models\Rifle_a.3d DATAFILE=Models\Rifle_d.3d
#exec MESH ORIGIN MESH=ArenaRifleM X=0 Y=0 Z=0 YAW=64
#exec TEXTURE IMPORT NAME=JArenaRifle FILE=Textures/*Rifle.pcx GROUP=Skins

var() float HeadshotMultiplier;

function Fire( float Value )
{
	local vector HitLocation, HitNormal, StartTrace, EndTrace;
	local actor Other;

	StartTrace = Owner.Location;
	EndTrace = StartTrace + 10000 * vector(Pawn(Owner).ViewRotation);
	Other = Trace( HitLocation, HitNormal, EndTrace, StartTrace, true );
	if( Pawn(Other) != None )
		Other.TakeDamage( 45, Pawn(Owner), HitLocation, vect(0,0,0), 'shot' );
}

defaultproperties
{
	HeadshotMultiplier=2.000000
	AmmoName=Class'GameKit.ArenaAmmo'
	PickupAmmoCount=20
	ItemName="Arena Rifle"
	PickupMessage="You got the Arena Rifle."
}
