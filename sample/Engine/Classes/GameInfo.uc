//=============================================================================
// GameInfo: the rules of a game type.
//=============================================================================
class GameInfo extends Info
	native;

var() globalconfig int MaxPlayers;
var() config float GameSpeed;
var int NumPlayers;
var localized string GameName;
var class<HUD> HUDType;
var class<Mutator> MutatorClass;
var Mutator BaseMutator;

event InitGame( string Options, out string Error )
{
	BaseMutator = Spawn( MutatorClass );
}

function bool AllowsBroadcast( Actor Broadcaster, int Len )
{
	return true;
}

event PostLogin( PlayerPawn NewPlayer )
{
	NumPlayers++;
}

defaultproperties
{
	MaxPlayers=16
	GameSpeed=1.000000
	GameName="Game"
	HUDType=Class'Engine.HUD'
	MutatorClass=Class'Engine.Mutator'
}
