//=============================================================================
// Mover: a brush that moves between key positions (doors, lifts).
//=============================================================================
class Mover extends Brush
	native;

var() byte KeyNum;
var() float MoveTime;
var() float StayOpenTime;
var() sound OpeningSound;

function DoOpen()
{
	InterpolateTo( 1, MoveTime );
	PlaySound( OpeningSound );
}

defaultproperties
{
	MoveTime=1.000000
	StayOpenTime=4.000000
}
