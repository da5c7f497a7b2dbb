#pragma once

#include <functional>
#include <string>

#include <QString>

namespace tarnwick {

class Clock;
class FileChooser;
class MessageBoxes;
class SerialPort;

// What the main window uses from outside itself. The program passes the real port, clock,
// dialogs and folders; window tests pass fakes and temporary folders.
struct Form1Services {
  SerialPort& port;  // the download's serial port
  Clock& clock;
  FileChooser& files;  // BrowseDialog, the one file dialog
  MessageBoxes& messages;
  // The settings file "tarnwick.txt" lies in the program's folder, or in the configuration
  // folder when the program's folder cannot be written.
  QString programFolder;
  QString configFolder;
  // The about window at start; window tests go without it.
  bool showSplashAtStart = true;
  // The tooltip of "Com n" in the port list; the platform's description when empty.
  std::function<std::string(int)> describePort = {};
  // Ends the program after "E&xit"; QCoreApplication::quit when empty.
  std::function<void()> endProgram = {};
};

}  // namespace tarnwick
