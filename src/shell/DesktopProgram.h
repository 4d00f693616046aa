#pragma once

namespace qb {

// The desktop program: entry checks, windows, event loop.
int RunDesktopProgram(int argc, char** argv);

}  // namespace qb
