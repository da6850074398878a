//=============================================================================
// PlayerReplicationInfo: one player's name and score for everybody.
//=============================================================================
class PlayerReplicationInfo extends ReplicationInfo
	native;

var string PlayerName;
var float Score;
var float Deaths;
var int PlayerID;
var byte Team;

replication
{
	reliable if( Role == ROLE_Authority )
		PlayerName, Score, Deaths, PlayerID, Team;
}
