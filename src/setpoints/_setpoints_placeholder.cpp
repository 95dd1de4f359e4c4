// placeholder so the library target exists until its first unit lands
