#pragma once

// What the writer and the reader of images share: libisofs set up once, with
// names taken and given as UTF-8 whatever the locale, and its messages kept
// off the terminal (the program words its own).

// libisofs.h expects these types to be declared already.
#include <stdint.h>
#include <sys/types.h>
#include <time.h>

// The image is read through struct burn_source as libisofs declares it;
// libburn itself is not used.
#define LIBISOFS_WITHOUT_LIBBURN 1
#include <libisofs/libisofs.h>

#include <string>

namespace morvick::images {

// False with `error` when libisofs cannot be set up.
bool InitLibrary(std::string& error);

// libisofs' text for an error code.
std::string LibraryMessage(int code);

}  // namespace morvick::images
