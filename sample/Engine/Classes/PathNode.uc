//=============================================================================
// PathNode: an ordinary point of the path network.
//=============================================================================
class PathNode extends NavigationPoint
	native;

defaultproperties
{
	bStatic=True
}
