#include "common/json_text.h"

#include <gtest/gtest.h>

namespace morvick::cli {
namespace {

TEST(JsonText, ByteStringsSurviveTheRoundTrip) {
  struct Case {
    std::string bytes;
    std::string written;  // the JSON literal
  };
  const Case cases[] = {
      {"plain.txt", "\"plain.txt\""},
      {"quote\" back\\ tab\t nl\n", "\"quote\\\" back\\\\ tab\\t nl\\n\""},
      {std::string("\x01\x1f", 2), "\"\\u0001\\u001f\""},
      {"日本語 ü 😀", "\"日本語 ü 😀\""},                          // valid UTF-8 stays as it is
      {"bad\xff\xfe", "\"bad\\udcff\\udcfe\""},                  // bytes that start no sequence
      {"caf\xe9", "\"caf\\udce9\""},                             // Latin-1
      {"\xc0\xaf", "\"\\udcc0\\udcaf\""},                        // overlong "/"
      {"\xed\xa0\x80", "\"\\udced\\udca0\\udc80\""},             // an encoded surrogate
      {"\xe3\x81", "\"\\udce3\\udc81\""},                        // cut-off sequence
      {"\xf4\x90\x80\x80", "\"\\udcf4\\udc90\\udc80\\udc80\""},  // above U+10FFFF
      {"\xe3\x81\xff\xe3\x81\x82", "\"\\udce3\\udc81\\udcffあ\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JsonString(c.bytes), c.written);
    const Json parsed = ParseJson("[" + c.written + "]");
    EXPECT_EQ(parsed.at(0).get<std::string>(), c.bytes) << c.written;
  }
}

TEST(JsonText, ReaderIsStrictExceptForEscapedBytes) {
  EXPECT_EQ(ParseJson(R"("\ud83d\ude00")").get<std::string>(), "😀");
  EXPECT_EQ(ParseJson(R"({"a": [1, -2, 3.5, true, null], "b": {}})").at("a").at(1).get<int>(), -2);
  EXPECT_EQ(ParseJson("9223372036854775807").get<std::int64_t>(), INT64_MAX);
  for (const char* bad : {R"("\udc41")", R"("\ud800")", R"("\ud800x")", "[1,]", "{\"a\" 1}", "01",
                          "\"a", "[1] 2", "\"tab\there\"", "nul", "-", "1.", "{\"a\":1,}"}) {
    EXPECT_THROW(ParseJson(bad), JsonSyntaxError) << bad;
  }
}

TEST(JsonText, DumpWritesRawByteStringsInOrder) {
  const Json value{{"z", "\xff"}, {"a", Json::array({1, false})}, {"n", nullptr}};
  EXPECT_EQ(DumpJson(value), R"({"z":"\udcff","a":[1,false],"n":null})");
  EXPECT_EQ(DumpJson(value, 2),
            "{\n  \"z\": \"\\udcff\",\n  \"a\": [\n    1,\n    false\n  ],\n  \"n\": null\n}");
  EXPECT_EQ(ParseJson(DumpJson(value)), value);
}

}  // namespace
}  // namespace morvick::cli
