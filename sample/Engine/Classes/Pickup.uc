//=============================================================================
// Pickup: an item used up when it is taken or activated.
//=============================================================================
class Pickup extends Inventory
	abstract
	native;

var() int NumCopies;
var() bool bCanHaveMultipleCopies;
