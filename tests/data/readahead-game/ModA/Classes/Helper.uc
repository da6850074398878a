// generated for a test
class Helper expands ModBBase;

var int Counter;
