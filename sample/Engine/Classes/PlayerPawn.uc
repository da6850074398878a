//=============================================================================
// PlayerPawn: the pawn of a human player.
//=============================================================================
class PlayerPawn extends Pawn
	native
	config(User);

var HUD myHUD;
var globalconfig float MouseSensitivity;
var config bool bAlwaysMouseLook;

exec function Say( string Msg )
{
	Level.Game.BroadcastMessage( PlayerReplicationInfo.PlayerName $ ": " $ Msg, true );
}

exec function Fire( optional float F )
{
	if( Weapon != None )
		Weapon.Fire( F );
}

defaultproperties
{
	MouseSensitivity=3.000000
}
