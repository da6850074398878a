/*
 * StormMod - a thunderstorm for any game type.
 * Written for the sample game of Kelvarin. Do what you like with it.
 */

class StormBolt extends Projectile;

simulated function Explode( vector HitLocation, vector HitNormal )
{
	Spawn( class'StormLight', , , HitLocation );
	HurtRadius( Damage, 300.0, 'zapped', 20000.0, HitLocation );
	Destroy();
}

defaultproperties
{
	Speed=4000.000000
	MaxSpeed=4000.000000
	Damage=60.000000
	MyDamageType=zapped
}
