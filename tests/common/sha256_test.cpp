#include "common/sha256.h"

#include <gtest/gtest.h>

#include <string>

namespace morvick {
namespace {

struct Sha256Case {
  std::string input;
  const char* digest;
};

// The examples of FIPS 180-4 and its companion vectors: empty, one block, two
// blocks, the 56-byte message whose padding needs a block of its own, and a
// million "a".
TEST(Sha256Test, FipsVectors) {
  const Sha256Case cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmn"
       "op"
       "qrsmnopqrstnopqrstu",
       "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  // With the CPU's SHA instructions where it has them, and with the portable rounds.
  for (const bool accelerated : {true, false}) {
    SetSha256Acceleration(accelerated);
    for (const Sha256Case& c : cases) {
      EXPECT_EQ(Sha256Hex(c.input), c.digest)
          << c.input.size() << " bytes, accelerated " << Sha256Accelerated();
    }
  }
  SetSha256Acceleration(true);
}

// The digest does not depend on how the bytes arrive.
TEST(Sha256Test, PiecesGiveTheSameDigest) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += static_cast<char>(i * 7);
  for (std::size_t piece : {1u, 3u, 55u, 63u, 64u, 65u, 200u}) {
    Sha256 hash;
    for (std::size_t at = 0; at < text.size(); at += piece) hash.Update(text.substr(at, piece));
    EXPECT_EQ(hash.HexDigest(), Sha256Hex(text)) << piece;
  }
}

}  // namespace
}  // namespace morvick
