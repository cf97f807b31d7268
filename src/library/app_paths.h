// Where the program's own files lie: the install folder holding the help
// and the example songs, found next to the executable (the build folder), in
// the installed layout beside it, through an environment variable, or in the
// current directory.
#pragma once

#include <string>

namespace poronka {

// The data folder's name next to the executable.
extern const char* const kDataFolderName;       // "poronka-data"
// The data folder of an installed program, relative to its executable.
extern const char* const kInstalledDataFolder;  // "../share/poronka"
// The environment variable that names the install folder.
extern const char* const kInstallFolderVariable;  // "PORONKA_DATA_DIR"
// The help file's path inside the install folder.
extern const char* const kHelpFileName;         // "help/index.html"
// The folder of the example songs inside the install folder.
extern const char* const kExamplesFolderName;   // "examples"

// The install folder: <exeDir>/poronka-data when that folder exists, else
// <exeDir>/../share/poronka (normalised) when that exists, else `envValue`
// when it is not empty, else `currentDir`.
std::string FindInstallFolder(const std::string& exeDir, const std::string& envValue,
                              const std::string& currentDir);
// The same with the real environment and current directory.
std::string FindInstallFolder(const std::string& exeDir);
// InstallFolder + "/" + kHelpFileName.
std::string HelpFileOf(const std::string& installFolder);

// The name of the local socket through which a second start reaches the
// first one: one per user and desktop. `xDisplay` is the X display
// ("host:N.screen"; the screen does not count), `waylandDisplay` the
// Wayland socket (a name or a path), which wins when both are given.
std::string SingleInstanceKey(long uid, const std::string& xDisplay, const std::string& waylandDisplay);
// The same for this process: its user, DISPLAY and WAYLAND_DISPLAY.
std::string SingleInstanceKey();

}  // namespace poronka
