// The terminal program.
#include "shell/startup.h"

int main(int argc, char** argv) { return runMain(argc, argv); }
