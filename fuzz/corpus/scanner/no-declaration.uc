// just a note
var int Count;
