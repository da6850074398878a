//=============================================================================
// GameKit: the Arena game type.
// Copyright (c) 2000 the GameKit team. Free to use in your own mods.
//=============================================================================

class ArenaRocket extends Projectile;

#exec AUDIO IMPORT FILE="Sounds\RocketFly.wav" NAME="RocketFly" GROUP="Arena"

simulated function Explode( vector HitLocation, vector HitNormal )
{
	HurtRadius( Damage, 220.0, MyDamageType, 60000.0, HitLocation );
	Destroy();
}

defaultproperties
{
	Speed=900.000000
	MaxSpeed=1600.000000
	Damage=75.000000
	MyDamageType=RocketDeath
	AmbientSound=Sound'GameKit.Arena.RocketFly'
}
