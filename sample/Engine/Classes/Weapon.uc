//=============================================================================
// Weapon: an inventory item that fires.
//=============================================================================
class Weapon extends Inventory
	abstract
	native;

var() class<Ammo> AmmoName;
var() int PickupAmmoCount;
var() class<Projectile> ProjectileClass;
var() float FireOffset;
var Ammo AmmoType;

function Fire( float Value )
{
	if( AmmoType != None && AmmoType.UseAmmo( 1 ) )
		ProjectileFire( ProjectileClass );
}

function Projectile ProjectileFire( class<Projectile> ProjClass )
{
	return Spawn( ProjClass, , , Location, Rotation );
}
