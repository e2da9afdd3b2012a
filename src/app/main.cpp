// main.cpp: the entry point of the tavrino executable.
#include "app/lifecycle.h"

int main(int argc, char** argv) { return run_program(argc, argv); }
