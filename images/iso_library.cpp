#include "images/iso_library.h"

#include <mutex>

namespace morvick::images {

bool InitLibrary(std::string& error) {
  static std::once_flag once;
  static int result = 0;
  std::call_once(once, [] {
    // bit 0: the locale is not consulted; names are UTF-8 in and out.
    result = iso_init_with_flag(1);
    if (result < 0) return;
    char utf8[] = "UTF-8";
    iso_set_local_charset(utf8, 0);
    char never[] = "NEVER";
    char id[] = "morvick";
    iso_set_msgs_severities(never, never, id);
  });
  if (result < 0) error = "libisofs could not be set up: " + LibraryMessage(result);
  return result >= 0;
}

std::string LibraryMessage(int code) {
  const char* text = iso_error_to_msg(code);
  return text ? text : "error " + std::to_string(code);
}

}  // namespace morvick::images
