class Names expands Actor;

var name Tags[2];

function PostBeginPlay()
{
	Tags[0] = 'Alpha';
	Tags[1] = 'Beta;
	Log("done\"");
}
