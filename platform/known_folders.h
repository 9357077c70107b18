#pragma once

// The folders of the user and of the program.

#include <string>

namespace morvick::platform {

// $HOME when it holds an absolute path, else the home of the password
// database's entry for this user, "" when neither is known. The user's profile
// folder on Windows.
std::string HomeFolder();

// The full path of the running program's executable, "" when it cannot be read.
std::string ExecutablePath();
// The folder of the running program's executable, "" when it cannot be read.
std::string ExecutableFolder();

// The folder of the user's settings and presets: $XDG_CONFIG_HOME/morvick when
// that variable holds an absolute path, else $HOME/.config/morvick (the working
// folder's .config/morvick without any home). %APPDATA%\Morvick on Windows.
std::string UserConfigFolder();

// The folder of the move journals: $XDG_STATE_HOME/morvick when that variable
// holds an absolute path, else $HOME/.local/state/morvick. %LOCALAPPDATA%\Morvick
// on Windows.
std::string UserStateFolder();

// Whether a settings file that does not exist yet is made beside the executable
// in `folder`. On Windows, where a program unpacked into a folder of the user's
// keeps its settings beside it, when that folder is writable; never on Linux,
// where a program's folder belongs to the system.
bool MakesFilesBesideExecutable(const std::string& folder);

}  // namespace morvick::platform
