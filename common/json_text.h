#pragma once

// JSON text for byte strings. File names are bytes, not always UTF-8: a byte
// that is not part of a valid UTF-8 sequence is written as the lone surrogate
// escape \udcXX (the surrogateescape convention), and the reader turns such an
// escape back into the byte, so every name survives a round trip exactly.

#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string>
#include <string_view>

namespace morvick {

using Json = nlohmann::ordered_json;

class JsonSyntaxError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Appends `bytes` as a quoted JSON string.
void AppendJsonString(std::string& out, std::string_view bytes);
std::string JsonString(std::string_view bytes);

// Writes a document whose strings hold raw bytes. `indent` < 0 writes one line;
// otherwise objects and arrays are broken over lines with that indentation.
std::string DumpJson(const Json& value, int indent = -1);

// Reads a JSON text into a document whose strings hold raw bytes (a lone
// \udc80..\udcff escape becomes the byte 0x80..0xff). Raises JsonSyntaxError.
Json ParseJson(std::string_view text);

}  // namespace morvick
