//=============================================================================
// Keypoint: a marker for scripts and designers.
//=============================================================================
class Keypoint extends Actor
	abstract
	native;

defaultproperties
{
	bStatic=True
	bHidden=True
}
