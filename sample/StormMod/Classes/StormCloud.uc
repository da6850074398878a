/*
 * StormMod - a thunderstorm for any game type.
 * Written for the sample game of Kelvarin. Do what you like with it.
 */

class StormCloud extends Decoration;

#exec TEXTURE IMPORT NAME=CloudTex FILE=Textures\Cloud.pcx GROUP=Skins FLAGS=2

var() float DriftSpeed;

function Tick( float DeltaTime )
{
	SetLocation( Location + vect(1,0,0) * DriftSpeed * DeltaTime );
}

defaultproperties
{
	DriftSpeed=40.000000
	bStatic=False
	DrawScale=6.000000
	Skin=Texture'StormMod.Skins.CloudTex'
}
