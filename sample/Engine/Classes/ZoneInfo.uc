//=============================================================================
// ZoneInfo: the properties of one zone of a level.
//=============================================================================
class ZoneInfo extends Info
	native;

var() name ZoneTag;
var() vector ZoneGravity;
var() bool bWaterZone;
var() bool bPainZone;
var() float DamagePerSec;

event ActorEntered( Actor Other );
event ActorLeaving( Actor Other );

defaultproperties
{
	ZoneGravity=(Z=-950.000000)
}
