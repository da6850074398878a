/*
 * StormMod - a thunderstorm for any game type.
 * Written for the sample game of Kelvarin. Do what you like with it.
 */

class StormMutator expands Mutator;

var() float StrikeInterval;
var localized string StrikeMessage;

function PostBeginPlay()
{
	SetTimer( StrikeInterval, true );
	Spawn( class'StormCloud' );
}

function Timer()
{
	local Pawn P;

	for( P = Level.PawnList; P != None; P = P.NextPawn )
		if( FRand() < 0.05 )
		{
			Spawn( class'StormBolt', , , P.Location + vect(0,0,800) );
			BroadcastMessage( StrikeMessage );
		}
}

defaultproperties
{
	StrikeInterval=2.500000
	StrikeMessage="Lightning strikes!"
}
