//=============================================================================
// Object: the root of every class.
//=============================================================================
class Object
	native;

// Internal fields, kept by the engine.
var native const int ObjectInternal[6];
var native const object Outer;
var native const int ObjectFlags;
var(Object) native const editconst name Name;
var(Object) native const editconst class Class;

// Logging.
native(231) final static function Log( coerce string S, optional name Tag );
native(232) final static function Warn( coerce string S );

// Returns true when this object's class is, or derives from, TestClass.
native(258) static final function bool ClassIsChildOf( class TestClass, class ParentClass );
native final function bool IsA( name ClassName );

event BeginState();
event EndState();

defaultproperties
{
}
