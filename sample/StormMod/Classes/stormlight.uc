/*
 * StormMod - a thunderstorm for any game type.
 * Written for the sample game of Kelvarin. Do what you like with it.
 */

class StormLight extends Light;

function PostBeginPlay()
{
	LifeSpan = 0.3;
}

defaultproperties
{
	bStatic=False
	bNoDelete=False
	LightBrightness=255
	LightRadius=40
}
