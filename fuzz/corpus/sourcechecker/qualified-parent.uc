/* LinkRelay
   class Wrong expands Nothing;
*/
class LinkRelay expands Engine.Info abstract native;

var string Message[4];
