//=============================================================================
// Projectile: anything that flies and hits.
//=============================================================================
class Projectile extends Actor
	abstract
	native;

var() float Speed;
var() float MaxSpeed;
var() float Damage;
var() name MyDamageType;

simulated function HitWall( vector HitNormal, actor Wall )
{
	Explode( Location, HitNormal );
}

simulated function Explode( vector HitLocation, vector HitNormal )
{
	Destroy();
}
