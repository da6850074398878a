#exec OBJ LOAD FILE=..\Textures\Storm.utx PACKAGE=StormMod.Skins /* not a comment
class StormHUD expands ChallengeHUD;

simulated function PostRender(canvas Canvas)
{
	Canvas.DrawText("Score: "$PlayerOwner.PlayerReplicationInfo.Score);
}
