#pragma once

// Runs part of a test as the unprivileged user "nobody", in a child process.
// The tests run as root in CI, and root passes every permission check: cases
// about unreadable or read-only folders need an ordinary user to mean anything.

#include <functional>
#include <string>

namespace morvick::testing {

inline constexpr unsigned kNobodyId = 65534;

// Forks, drops to nobody (groups, group and user) and runs `body` there; its
// text comes back through a pipe. An exception in the child comes back as
// "exception: <what>". Returns "skip" when the child could not be made or could
// not drop its rights, "child failed" when it did not end normally.
std::string RunInChildAsNobody(const std::function<std::string()>& body);

}  // namespace morvick::testing
