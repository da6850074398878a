//=============================================================================
// LinkRelay: passes a beacon's signal on.
//=============================================================================
class LinkRelay extends LinkBeacon;

var() float RelayDelay;

defaultproperties
{
	RelayDelay=0.250000
}
