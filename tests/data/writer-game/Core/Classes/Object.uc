// generated for a test
class Object;

var int Counter;
