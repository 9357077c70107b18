#pragma once

// The folders of the user and of the program.

#include <string>

namespace morvick::platform {

// $HOME when it holds an absolute path, else the home of the password
// database's entry for this user, "" when neither is known.
std::string HomeFolder();

// The folder of the running program's executable, "" when it cannot be read.
std::string ExecutableFolder();

}  // namespace morvick::platform
