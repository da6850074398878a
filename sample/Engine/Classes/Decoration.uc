//=============================================================================
// Decoration: an object placed for looks, possibly pushable or breakable.
//=============================================================================
class Decoration extends Actor
	abstract
	native;

var() bool bPushable;
var() class<Actor> EffectWhenDestroyed;
var() int NumFrags;
