//=============================================================================
// Pawn: a player or a creature controlled by the game.
//=============================================================================
class Pawn extends Actor
	abstract
	native;

var() int Health;
var() float GroundSpeed;
var Weapon Weapon;
var Inventory SelectedItem;
var PlayerReplicationInfo PlayerReplicationInfo;

function TakeDamage( int Damage, Pawn InstigatedBy, vector HitLocation, vector Momentum, name DamageType )
{
	Health -= Damage;
	if( Health <= 0 )
		Died( InstigatedBy, DamageType, HitLocation );
}

function Died( Pawn Killer, name DamageType, vector HitLocation );

defaultproperties
{
	Health=100
	GroundSpeed=320.000000
}
