//=============================================================================
// Locale: language and number formatting of the running game.
//=============================================================================
class Locale extends Object
	transient;

var const localized string LanguageName;
var const localized string DecimalPoint;
var const localized string ThousandsSeparator;

function string FormatNumber( int N )
{
	return string(N);
}

defaultproperties
{
	LanguageName="English"
	DecimalPoint="."
	ThousandsSeparator=","
}
