/*
 * StormMod - a thunderstorm for any game type.
 * Written for the sample game of Kelvarin. Do what you like with it.
 */

class StormZone extends ZoneInfo;

var() float RainDensity;

event ActorEntered( Actor Other )
{
	if( PlayerPawn(Other) != None )
		PlayerPawn(Other).ClientMessage( "It is raining here." );
}

defaultproperties
{
	RainDensity=0.500000
}
