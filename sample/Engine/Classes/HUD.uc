//=============================================================================
// HUD: draws the player's heads-up display.
//=============================================================================
class HUD extends Actor
	abstract
	native
	config(User);

var globalconfig int HudMode;
var globalconfig int Crosshair;

simulated event PostRender( Canvas Canvas );
simulated function ChangeHud( int d )
{
	HudMode = (HudMode + d) % 6;
}
