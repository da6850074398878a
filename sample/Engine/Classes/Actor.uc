//=============================================================================
// Actor: anything that can be placed in a level.
//=============================================================================
class Actor extends Object
	abstract
	native
	nativereplication;

var(Movement) const vector Location;
var(Movement) const rotator Rotation;
var(Display) float DrawScale;
var const Actor Owner;
var Pawn Instigator;
var bool bHidden;
var(Advanced) bool bNoDelete;
var(Events) name Tag;
var(Events) name Event;

native(256) final latent function Sleep( float Seconds );
native(280) final function SetTimer( float NewTimerRate, bool bLoop );

event Timer();
event Touch( Actor Other );
event Destroyed();

// Calls Trigger on every actor whose Tag matches our Event.
function TriggerEvent( Pawn EventInstigator )
{
	local Actor A;

	if( Event == '' )
		return;
	foreach AllActors( class'Actor', A, Event )
		A.Trigger( Self, EventInstigator );
}

event Trigger( Actor Other, Pawn EventInstigator );

defaultproperties
{
	DrawScale=1.000000
}
