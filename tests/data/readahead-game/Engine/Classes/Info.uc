// generated for a test
// header
class Info extends Actor
	native;

var int Counter;
