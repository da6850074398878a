// Speeds every player up.
class SpeedMutator extends Mutator
	config(SpeedMutator);

var config float Factor; // "class Foo extends Bar;" in a comment is no declaration

function ModifyPlayer(Pawn Other)
{
	Other.GroundSpeed *= Factor;
	Super.ModifyPlayer(Other);
}

defaultproperties { Factor=1.5 }
