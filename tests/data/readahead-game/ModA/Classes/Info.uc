// generated for a test
class Info expands Actor;

var int Counter;
