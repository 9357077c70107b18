#include "common/json_text.h"

#include "common/utf8.h"

#include <charconv>
#include <cstdint>

namespace morvick {
namespace {

constexpr char kHex[] = "0123456789abcdef";

void AppendUnicodeEscape(std::string& out, unsigned value) {
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(value >> shift) & 0xF];
}

void AppendCodePoint(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void Dump(std::string& out, const Json& value, int indent, int depth) {
  const auto newline = [&](int level) {
    if (indent < 0) return;
    out += '\n';
    out.append(static_cast<std::size_t>(indent * level), ' ');
  };
  switch (value.type()) {
    case Json::value_t::null: out += "null"; break;
    case Json::value_t::boolean: out += value.get<bool>() ? "true" : "false"; break;
    case Json::value_t::number_integer: out += std::to_string(value.get<std::int64_t>()); break;
    case Json::value_t::number_unsigned: out += std::to_string(value.get<std::uint64_t>()); break;
    case Json::value_t::number_float: out += value.dump(); break;
    case Json::value_t::string: AppendJsonString(out, value.get_ref<const std::string&>()); break;
    case Json::value_t::array: {
      out += '[';
      bool first = true;
      for (const Json& item : value) {
        if (!first) out += ',';
        first = false;
        newline(depth + 1);
        Dump(out, item, indent, depth + 1);
      }
      if (!value.empty()) newline(depth);
      out += ']';
      break;
    }
    case Json::value_t::object: {
      out += '{';
      bool first = true;
      for (const auto& [key, item] : value.items()) {
        if (!first) out += ',';
        first = false;
        newline(depth + 1);
        AppendJsonString(out, key);
        out += indent < 0 ? ":" : ": ";
        Dump(out, item, indent, depth + 1);
      }
      if (!value.empty()) newline(depth);
      out += '}';
      break;
    }
    case Json::value_t::binary:
    case Json::value_t::discarded: out += "null"; break;
  }
}

// A strict recursive-descent reader of RFC 8259 JSON, except for the lone
// \udc80..\udcff escapes, which stand for raw bytes.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  Json Document() {
    Json value = Value(0);
    SkipBlanks();
    if (pos_ != text_.size()) Fail("unexpected text after the value");
    return value;
  }

 private:
  static constexpr int kMaxDepth = 256;

  [[noreturn]] void Fail(const std::string& what) const {
    throw JsonSyntaxError("JSON: " + what + " at offset " + std::to_string(pos_));
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                   text_[pos_] == '\n' || text_[pos_] == '\r')) {
      ++pos_;
    }
  }

  bool Consume(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  Json Value(int depth) {
    if (depth > kMaxDepth) Fail("nesting too deep");
    SkipBlanks();
    if (pos_ >= text_.size()) Fail("unexpected end");
    const char c = text_[pos_];
    if (c == '{') return Object(depth);
    if (c == '[') return Array(depth);
    if (c == '"') return Json(String());
    if (Consume("true")) return Json(true);
    if (Consume("false")) return Json(false);
    if (Consume("null")) return Json(nullptr);
    if (c == '-' || (c >= '0' && c <= '9')) return Number();
    Fail("unexpected character");
  }

  Json Object(int depth) {
    ++pos_;
    Json object = Json::object();
    SkipBlanks();
    if (Consume("}")) return object;
    while (true) {
      SkipBlanks();
      if (pos_ >= text_.size() || text_[pos_] != '"') Fail("expected a key");
      std::string key = String();
      SkipBlanks();
      if (!Consume(":")) Fail("expected ':'");
      object[key] = Value(depth + 1);
      SkipBlanks();
      if (Consume("}")) return object;
      if (!Consume(",")) Fail("expected ',' or '}'");
    }
  }

  Json Array(int depth) {
    ++pos_;
    Json array = Json::array();
    SkipBlanks();
    if (Consume("]")) return array;
    while (true) {
      array.push_back(Value(depth + 1));
      SkipBlanks();
      if (Consume("]")) return array;
      if (!Consume(",")) Fail("expected ',' or ']'");
    }
  }

  Json Number() {
    const std::size_t start = pos_;
    if (text_[pos_] == '-') ++pos_;
    const auto digits = [&] {
      const std::size_t from = pos_;
      while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
      return pos_ - from;
    };
    const std::size_t int_start = pos_;
    const std::size_t int_digits = digits();
    if (int_digits == 0) Fail("expected digits");
    if (int_digits > 1 && text_[int_start] == '0') Fail("leading zero");
    bool integral = true;
    if (pos_ < text_.size() && text_[pos_] == '.') {
      ++pos_;
      integral = false;
      if (digits() == 0) Fail("expected digits after '.'");
    }
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
      ++pos_;
      integral = false;
      if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
      if (digits() == 0) Fail("expected exponent digits");
    }
    const std::string_view number = text_.substr(start, pos_ - start);
    if (integral) {
      std::int64_t value = 0;
      const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
      if (result.ec == std::errc()) return Json(value);
      std::uint64_t unsigned_value = 0;
      const auto unsigned_result =
          std::from_chars(number.data(), number.data() + number.size(), unsigned_value);
      if (unsigned_result.ec == std::errc()) return Json(unsigned_value);
    }
    return Json::parse(number);  // a float, or an integer beyond 64 bits
  }

  unsigned Hex4() {
    if (pos_ + 4 > text_.size()) Fail("short \\u escape");
    unsigned value = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[pos_++];
      value <<= 4;
      if (c >= '0' && c <= '9') {
        value |= static_cast<unsigned>(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        value |= static_cast<unsigned>(c - 'a' + 10);
      } else if (c >= 'A' && c <= 'F') {
        value |= static_cast<unsigned>(c - 'A' + 10);
      } else {
        Fail("bad \\u escape");
      }
    }
    return value;
  }

  std::string String() {
    ++pos_;
    std::string out;
    while (true) {
      if (pos_ >= text_.size()) Fail("unterminated string");
      const char c = text_[pos_++];
      if (c == '"') return out;
      if (static_cast<unsigned char>(c) < 0x20) Fail("control character in string");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= text_.size()) Fail("unterminated escape");
      const char e = text_[pos_++];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': UnicodeEscape(out); break;
        default: Fail("bad escape");
      }
    }
  }

  void UnicodeEscape(std::string& out) {
    const unsigned first = Hex4();
    if (first >= 0xD800 && first <= 0xDBFF) {
      if (!Consume("\\u")) Fail("high surrogate without its pair");
      const unsigned second = Hex4();
      if (second < 0xDC00 || second > 0xDFFF) Fail("high surrogate without its pair");
      AppendCodePoint(out, 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00));
    } else if (first >= 0xDC80 && first <= 0xDCFF) {
      out += static_cast<char>(first - 0xDC00);  // an escaped raw byte
    } else if (first >= 0xDC00 && first <= 0xDFFF) {
      Fail("lone low surrogate");
    } else {
      AppendCodePoint(out, first);
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

void AppendJsonString(std::string& out, std::string_view bytes) {
  out += '"';
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const unsigned char c = static_cast<unsigned char>(bytes[pos]);
    if (c >= 0x80) {
      const std::size_t length = DecodeUtf8At(bytes, pos).length;
      if (length == 0) {
        AppendUnicodeEscape(out, 0xDC00 + c);
        ++pos;
      } else {
        out.append(bytes.substr(pos, length));
        pos += length;
      }
      continue;
    }
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        if (c < 0x20) {
          AppendUnicodeEscape(out, c);
        } else {
          out += static_cast<char>(c);
        }
    }
    ++pos;
  }
  out += '"';
}

std::string JsonString(std::string_view bytes) {
  std::string out;
  AppendJsonString(out, bytes);
  return out;
}

std::string DumpJson(const Json& value, int indent) {
  std::string out;
  Dump(out, value, indent, 0);
  return out;
}

Json ParseJson(std::string_view text) { return Reader(text).Document(); }

}  // namespace morvick
