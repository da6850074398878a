//=============================================================================
// GameReplicationInfo: the game's state as the clients see it.
//=============================================================================
class GameReplicationInfo extends ReplicationInfo
	native;

var string GameName;
var int RemainingTime, ElapsedTime;
var bool bTeamGame;

replication
{
	reliable if( Role == ROLE_Authority )
		GameName, RemainingTime, bTeamGame;
}
