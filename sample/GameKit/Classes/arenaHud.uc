//=============================================================================
// GameKit: the Arena game type.
// Copyright (c) 2000 the GameKit team. Free to use in your own mods.
//=============================================================================

class ArenaHUD extends HUD
	config(GameKit);

var config float HudScale;
var config bool bShowClock;
var color WhiteColor;

simulated event PostRender( Canvas Canvas )
{
	Canvas.DrawColor = WhiteColor;
	Canvas.SetPos( 4, 4 );
	if( PlayerPawn(Owner) != None )
		Canvas.DrawText( "Health:" @ PlayerPawn(Owner).Health );
}

defaultproperties
{
	HudScale=1.000000
	bShowClock=True
	WhiteColor=(R=255,G=255,B=255)
}
