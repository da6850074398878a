//=============================================================================
// Light: a light source.
//=============================================================================
class Light extends Actor
	native;

#exec Texture Import File=Textures\S_Light.pcx Name=S_Light Mips=Off Flags=2

defaultproperties
{
	bStatic=True
	bHidden=True
	LightBrightness=64
	LightRadius=64
	Texture=Texture'Engine.S_Light'
}
