#include "shell/program.h"

int main(int argc, char** argv) { return sonvale::shell::run_program(argc, argv); }
