class Café expands Actor;
