#pragma once

// Ctrl-C as the Cancel button (platform/interrupt.h).

#include "common/error.h"
#include "platform/interrupt.h"

namespace morvick::cli {

using platform::InterruptGuard;
using platform::InterruptRequested;

using morvick::InterruptedError;

}  // namespace morvick::cli
