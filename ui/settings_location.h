#pragma once

#include <QString>

namespace tarnwick {

// The settings file read at start and written at exit.
inline constexpr char kSettingsFileName[] = "tarnwick.txt";

// True when a file can be created in `folder` by this user right now. Asks the file system
// by trying, since permission bits do not tell (an administrator, a read-only mount).
bool IsWritableFolder(const QString& folder);

// Where an installed program's desktop entry lies, seen from the program's folder (PREFIX/bin).
// Its presence tells an installed program from one run from its build or a portable folder.
inline constexpr char kInstalledEntryFromProgram[] = "../share/applications/tarnwick.desktop";

// The folder of the settings file: the program's folder when it can be written and the
// program is not installed, as a portable program expects; otherwise (an installed program,
// even one that could write its folder, such as root's) the user's configuration folder,
// created when missing.
QString ChooseSettingsFolder(const QString& programFolder, const QString& configFolder);

// The path shown in messages and used for the file: the folder and "tarnwick.txt", in the
// platform's own notation.
QString SettingsFilePath(const QString& folder);

}  // namespace tarnwick
