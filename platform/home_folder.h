#pragma once

// The user's home folder.

#include <string>

namespace morvick::platform {

// $HOME when it holds an absolute path, else the home of the password
// database's entry for this user, "" when neither is known.
std::string HomeFolder();

}  // namespace morvick::platform
