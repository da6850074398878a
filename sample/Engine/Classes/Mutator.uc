//=============================================================================
// Mutator: changes a game's rules without a new game type.
//=============================================================================
class Mutator extends Info
	native;

var Mutator NextMutator;
var class<Weapon> DefaultWeapon;

// Adds M to the end of the chain.
function AddMutator( Mutator M )
{
	if( NextMutator == None )
		NextMutator = M;
	else
		NextMutator.AddMutator( M );
}

// Asks every mutator in turn whether Other may stay in the level.
function bool AlwaysKeep( Actor Other )
{
	if( NextMutator != None )
		return NextMutator.AlwaysKeep( Other );
	return false;
}
