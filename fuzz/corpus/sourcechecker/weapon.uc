//============================================================
// StormRifle: a rifle that fires bolts of lightning.
//============================================================
class StormRifle expands TournamentWeapon;

#exec MESH IMPORT MESH=StormRifle ANIVFILE=MODELS\Storm_a.3d DATAFILE=MODELS\Storm_d.3d
#exec TEXTURE IMPORT NAME=JStormRifle FILE=TEXTURES\Storm.pcx GROUP=Skins

var() config float BoltDamage;
var StormBolt LastBolt;

function Fire(float Value)
{
	if (AmmoType.UseAmmo(1))
	{
		GotoState('NormalFire');
		LastBolt = Spawn(class'StormBolt',,, Owner.Location);
	}
}

defaultproperties
{
	BoltDamage=45.000000
	PickupMessage="You got the Storm Rifle."
	ItemName="Storm Rifle"
}
