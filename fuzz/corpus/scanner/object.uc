//=============================================================================
// Object: the base class of all objects.
//=============================================================================
class Object
	native
	noexport;

var native const int ObjectInternal[6];
