// generated for a test
class Lost expands NoSuchClass;

var int Counter;
