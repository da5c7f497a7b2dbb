#pragma once

#include <optional>
#include <string>

namespace tarnwick::cli {

// Whether standard input or output is a terminal (a person watching and answering) rather
// than a pipe or a file (a script or a build server).
bool StdinIsTerminal();
bool StdoutIsTerminal();

// One line typed on standard input, without its line end; nothing when input ends or when
// `stopDescriptor` becomes readable first (a stop signalled while a question waits).
std::optional<std::string> ReadAnswerLine(int stopDescriptor);

}  // namespace tarnwick::cli
