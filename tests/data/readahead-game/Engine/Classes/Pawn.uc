// generated for a test
class Pawn expands Actor;

var int Counter;
