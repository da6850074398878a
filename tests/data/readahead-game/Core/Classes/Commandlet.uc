// generated for a test
class Commandlet expands Object;

var int Counter;
