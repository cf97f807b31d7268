#include <gtest/gtest.h>

#include "core/text_codec.h"

namespace poronka {
namespace {

TEST(TextCodec, Cp932SpecificsDecode) {
  EXPECT_EQ(Cp932ToUtf8("\x5C"), "\\");           // not the yen sign
  EXPECT_EQ(Cp932ToUtf8("\xA5"), "\xEF\xBD\xA5");  // half-width middle dot U+FF65
  EXPECT_EQ(Cp932ToUtf8("\x82\xA0"), "あ");
  EXPECT_EQ(Cp932ToUtf8("\x87\x40"), "①");  // NEC special row
  EXPECT_EQ(Cp932ToUtf8("\x81\x60"), "～");  // CP932 maps 8160 to U+FF5E
}

TEST(TextCodec, UndecodableBytesBecomeReplacementAndDecodingResumes) {
  // 0x82 followed by an invalid trail byte, then plain text
  EXPECT_EQ(Cp932ToUtf8("a\x82\x20" "b"), "a\xEF\xBF\xBD b");
  // truncated lead byte at the end
  EXPECT_EQ(Cp932ToUtf8("ok\x82"), "ok\xEF\xBF\xBD");
  EXPECT_EQ(Cp932ToUtf16("\xA0"), u"\uFFFD");
}

TEST(TextCodec, RoundTripsJapaneseAndReplacesUnmappable) {
  std::string s = "さくら　さくら ｱｲｳ";
  EXPECT_EQ(Cp932ToUtf8(Utf8ToCp932(s)), s);
  EXPECT_EQ(Utf8ToCp932("\xF0\x9F\x8E\xB5x"), "?x");  // emoji has no CP932 form
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("ä€😀")), "ä€😀");
}

TEST(TextCodec, SingleByteCheck) {
  EXPECT_TRUE(IsSingleByteCp932("\xA5\xA5O\xA5"));
  EXPECT_FALSE(IsSingleByteCp932("O\x81\x4F"));
}

}  // namespace
}  // namespace poronka
