#pragma once

namespace tarnwick::cli {

// Whether standard input or output is a terminal (a person watching and answering) rather
// than a pipe or a file (a script or a build server).
bool StdinIsTerminal();
bool StdoutIsTerminal();

}  // namespace tarnwick::cli
