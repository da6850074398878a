//=============================================================================
// ReplicationInfo: information sent to every client.
//=============================================================================
class ReplicationInfo extends Info
	abstract
	native;

defaultproperties
{
	bAlwaysRelevant=True
}
