// The program of a link check: it only has to link.
int main() { return 0; }
