//=============================================================================
// HelloCommandlet: the smallest possible commandlet, as an example.
//=============================================================================
class HelloCommandlet extends Commandlet;

var int Count;

event int Main( string Parms )
{
	local int i;

	for( i = 0; i < Count; i++ )
		Log( "Hello from the command line:" @ Parms );
	return 0;
}

defaultproperties
{
	Count=1
	HelpCmd="hello"
	HelpOneLiner="Says hello"
	HelpUsage="hello <text>"
}
