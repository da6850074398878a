class Open expands Actor;

defaultproperties
{
	DrawScale=2.0
