// generated for a test
class MyActor expands Actor;

var int Counter;
