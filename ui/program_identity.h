#pragma once

#include <QString>

namespace tarnwick {

// The program's title: the main window's caption before its version is added, the title of
// the settings file's messages, and the product name of the about window.
inline constexpr char kProgramTitle[] = "Tarnwick";

// " - V " and the major and minor version, added to the main window's caption: " - V 2.0".
QString CaptionVersionSuffix();

// The about window's version line with all three numbers: "Version 2.0.1".
QString AboutVersionLine();

}  // namespace tarnwick
