// generated for a test
class ModBBase expands Info;

var int Counter;
