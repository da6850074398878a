//=============================================================================
// Ammo: what a weapon fires.
//=============================================================================
class Ammo extends Pickup
	abstract
	native;

var() int AmmoAmount;
var() int MaxAmmo;

function bool UseAmmo( int AmountNeeded )
{
	if( AmmoAmount < AmountNeeded )
		return false;
	AmmoAmount -= AmountNeeded;
	return true;
}
