// generated for a test
class Bot expands Pawn;

var int Counter;
