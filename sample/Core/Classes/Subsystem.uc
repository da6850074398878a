//=============================================================================
// Subsystem: base of the engine's pluggable parts (audio, rendering, network).
//=============================================================================
class Subsystem extends Object
	native
	noexport;

var private native const int ExecVtbl;
var private native const int TickVtbl;
