//=============================================================================
// LinkBeacon: needs the LinkBase package, which is not part of this game.
//=============================================================================
class LinkBeacon extends MissingBase;

var() name LinkTag;

function Trigger( actor Other, pawn EventInstigator )
{
	Log( "Beacon" @ LinkTag @ "triggered" );
}
