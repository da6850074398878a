//=============================================================================
// Commandlet: a command run from the command line with "ucc <name>".
//=============================================================================
class Commandlet extends Object
	abstract
	transient
	native;

var localized string HelpCmd;
var localized string HelpOneLiner;
var localized string HelpUsage;
var bool IsServer, IsClient, IsEditor, LogToStdout;

// Runs the command; the result becomes the process's exit code.
native event int Main( string Parms );

defaultproperties
{
	IsServer=True
	IsClient=True
	IsEditor=True
	LogToStdout=True
}
