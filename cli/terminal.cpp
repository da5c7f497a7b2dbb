#include "cli/terminal.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

namespace tarnwick::cli {

bool StdinIsTerminal() {
  return isatty(0) != 0;
}

bool StdoutIsTerminal() {
  return isatty(1) != 0;
}

}  // namespace tarnwick::cli
