#pragma once
// The data folder the program works in. The directory keeps its data files in the working
// directory, so the program changes into this folder before anything opens a file; stations
// that name one shared folder share their files.

#include <QString>

namespace app {

// Where the folder came from; the message about an unusable folder says how to change it.
enum class FolderSource { CommandLine, Settings, UserData };

struct DataFolder {
  QString path;  // absolute
  FolderSource source;
  // Why the settings could not say which folder (a file that cannot be read, a value that
  // names none); empty when they could, or had none to say.
  QString settingsProblem = {};
};

// The folder named on the command line (relative to the current folder) when ARGUMENT is not
// empty, else the folder saved in the user's settings, else the user's data folder.
DataFolder chooseDataFolder(const QString& argument);

// The user's data folder, the last choice of chooseDataFolder().
QString userDataFolder();

// Saves FOLDER in the user's settings as the one a start without a folder uses. False when
// the settings cannot be written.
bool rememberDataFolder(const QString& folder);

// The settings file that holds the saved folder, for messages and the help text.
QString settingsFile();

// Creates the folder when missing (not a remembered one: that is a share not yet there, and
// a folder made in its place would be a second, empty town), makes sure files can be
// created in it and changes into it. Empty on success; otherwise the message for the user, in
// Russian, saying which folder cannot be used, why, and how to name another.
QString enterDataFolder(const DataFolder& folder);

// Shows a problem met before the system starts (an unusable folder, settings that cannot be
// saved): on stderr, and in a message box too when the program has a screen to show it on.
void reportStartProblem(const QString& message);

}  // namespace app
