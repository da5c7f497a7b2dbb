#pragma once

#include <optional>
#include <string>

namespace tarnwick::cli {

// Whether standard input or output is a terminal (a person watching and answering) rather
// than a pipe or a file (a script or a build server).
bool StdinIsTerminal();
bool StdoutIsTerminal();

// The width of the terminal on standard output, asked anew each time (a window may be
// resized during a download); 80 when it cannot be told.
int TerminalColumns();

// `text` cut to fit `columns` - 1 characters (UTF-8 sequences counted as one, never split):
// a line that reaches the last column would wrap on some terminals and leave a stray line.
std::string FitToColumns(const std::string& text, int columns);

// One line typed on standard input, without its line end; nothing when input ends or when
// `stopDescriptor` becomes readable first (a stop signalled while a question waits).
std::optional<std::string> ReadAnswerLine(int stopDescriptor);

}  // namespace tarnwick::cli
