//=============================================================================
// Brush: a piece of level geometry.
//=============================================================================
class Brush extends Actor
	native;

var() enum ECsgOper
{
	CSG_Active,
	CSG_Add,
	CSG_Subtract
} CsgOper;
var() color BrushColor;
