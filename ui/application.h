#pragma once

namespace tarnwick {

// Runs the program: the real port, clock, dialogs and folders, the main window, the event
// loop. Returns the program's exit code.
int RunTarnwick(int argc, char** argv);

}  // namespace tarnwick
