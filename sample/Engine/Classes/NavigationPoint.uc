//=============================================================================
// NavigationPoint: a point of the path network the bots walk.
//=============================================================================
class NavigationPoint extends Actor
	abstract
	native;

var NavigationPoint NextNavigationPoint;
var() name OwnerTeam;
var int Cost;
