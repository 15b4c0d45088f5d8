// Planted: a front end that keeps state in a variable of its own.
int lines_read;

void count_line() { ++lines_read; }
