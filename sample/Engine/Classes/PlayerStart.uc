//=============================================================================
// PlayerStart: where a player enters the level.
//=============================================================================
class PlayerStart extends NavigationPoint
	native;

var() byte TeamNumber;
var() bool bEnabled;

function Trigger( actor Other, pawn EventInstigator )
{
	bEnabled = !bEnabled;
}

defaultproperties
{
	bEnabled=True
}
