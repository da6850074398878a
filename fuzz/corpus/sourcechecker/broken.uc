class BrokenThing expands Actor;

function Tick(float Delta)
{
	Log("unterminated);
	if (Delta > 0.5 {
		Destroy();
}
