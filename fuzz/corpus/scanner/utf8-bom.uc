// Größe: «groß»
class Groesse extends Object;
