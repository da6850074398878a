//=============================================================================
// Info: an invisible actor that holds information.
//=============================================================================
class Info extends Actor
	abstract
	native;

defaultproperties
{
	bHidden=True
}
