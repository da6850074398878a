// generated for a test
class Object native;

var int Counter;
