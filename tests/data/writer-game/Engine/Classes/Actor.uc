// generated for a test
class Actor expands Object;

var int Counter;
