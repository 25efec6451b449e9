// keeps the library non-empty
