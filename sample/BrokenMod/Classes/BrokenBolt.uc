//=============================================================================
// BrokenBolt: a bolt with two faults, to show what a failed compile looks
// like. BrokenMod is not in the EditPackages list, so compiling the other
// packages never reaches it; compile it from its pop-up menu to see the log.
//=============================================================================
class BrokenBolt extends Projectile;

var() float Speed;

function Launch( vector Direction )
{
	Velocity = Direction * Speed;
	Log( "Launched );
}

defaultproperties
{
	Speed=1200.000000
}
