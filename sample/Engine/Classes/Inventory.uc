//=============================================================================
// Inventory: something a pawn can carry.
//=============================================================================
class Inventory extends Actor
	abstract
	native;

var Inventory Inventory;
var() localized string ItemName;
var() localized string PickupMessage;
var() float RespawnTime;

function GiveTo( Pawn Other )
{
	Instigator = Other;
	SetOwner( Other );
}

defaultproperties
{
	RespawnTime=30.000000
}
