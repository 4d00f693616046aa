#include "shell/DesktopProgram.h"

int main(int argc, char** argv) { return qb::RunDesktopProgram(argc, argv); }
