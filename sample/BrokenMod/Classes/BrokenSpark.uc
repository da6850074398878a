//=============================================================================
// BrokenSpark: its function lacks the closing brace.
//=============================================================================
class BrokenSpark extends BrokenBolt;

simulated function Tick( float DeltaTime )
{
	if( Speed > 0 )
	{
		Speed -= DeltaTime;
}
