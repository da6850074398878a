//=============================================================================
// GameKit: the Arena game type.
// Copyright (c) 2000 the GameKit team. Free to use in your own mods.
//=============================================================================

// The match: the first to reach FragLimit wins, or the best when time is up.
// Scoring rules by René Lefèvre.
class ArenaGame
    extends GameInfo
    config(GameKit);

var() config int FragLimit;
var() config int TimeLimit;
var() config bool bWeaponStay;
var() config bool bArenaHealthRespawns;
var() config int StartDelay;
var localized string StartMessage;

event PostLogin( PlayerPawn NewPlayer )
{
	Super.PostLogin( NewPlayer );
	NewPlayer.ClientMessage( StartMessage );
}

function ScoreKill( Pawn Killer, Pawn Other )
{
	if( Killer != None && Killer != Other )
	{
		Killer.PlayerReplicationInfo.Score += 1;
		if( FragLimit > 0 && Killer.PlayerReplicationInfo.Score >= FragLimit )
			EndGame( "fraglimit" );
	}
}

function EndGame( string Reason )
{
	Log( "Match over:" @ Reason );
}

defaultproperties
{
	FragLimit=25
	TimeLimit=15
	bWeaponStay=True
	StartDelay=3
	GameName="Arena Match"
	StartMessage="Fight!"
	HUDType=Class'GameKit.ArenaHUD'
	DefaultPlayerClass=Class'GameKit.ArenaPlayer'
}
