// What RtString promises: its storage rules, the text of numbers, how texts
// and numbers concatenate and compare, and the string commands.
#include "runtime/values/rt_string.h"

#include <gtest/gtest.h>

#include <cstring>

#include "runtime/values/rt_array.h"

namespace {

TEST(RtString, EmptyStringOwnsNothingAndNeverGivesNull) {
  RtString empty;
  EXPECT_EQ(empty.Length(), 0u);
  EXPECT_EQ(empty.Capacity(), 0u);
  ASSERT_NE(empty.CStr(), nullptr);
  EXPECT_STREQ(empty.CStr(), "");

  RtString fromEmptyText("");
  EXPECT_EQ(fromEmptyText.Capacity(), 0u);

  RtString moved(RtString("abc"));
  RtString target = std::move(moved);
  EXPECT_STREQ(moved.CStr(), "");  // NOLINT: a moved-from string is empty again
  EXPECT_STREQ(target.CStr(), "abc");
}

TEST(RtString, ReserveGrowsToTheNextMultipleOfSixteen) {
  RtString a;
  a.Reserve(15);
  EXPECT_EQ(a.Capacity(), 16u);
  RtString b;
  b.Reserve(16);
  EXPECT_EQ(b.Capacity(), 32u);
  RtString c;
  c.Reserve(40);
  EXPECT_EQ(c.Capacity(), 48u);
  c.Reserve(10);
  EXPECT_EQ(c.Capacity(), 48u);

  // Growing one byte at a time: the capacity stays strictly above the length
  // and moves in steps of 16, keeping the text.
  RtString grown;
  for (int i = 0; i < 40; ++i) {
    grown += "x";
    EXPECT_GT(grown.Capacity(), grown.Length());
    EXPECT_EQ(grown.Capacity() % 16, 0u);
  }
  EXPECT_EQ(grown.Capacity(), 48u);
  EXPECT_EQ(grown.Std(), std::string(40, 'x'));
}

TEST(RtString, NumbersBecomeTextWithTenSignificantDigits) {
  EXPECT_STREQ(NumberToText(1500).CStr(), "1500");
  EXPECT_STREQ(NumberToText(-7).CStr(), "-7");
  EXPECT_STREQ(NumberToText(INT32_MIN).CStr(), "-2147483648");
  EXPECT_STREQ(NumberToText(3.0).CStr(), "3");
  EXPECT_STREQ(NumberToText(0.5).CStr(), "0.5");
  EXPECT_STREQ(NumberToText(-2.25).CStr(), "-2.25");
  EXPECT_STREQ(NumberToText(100.0).CStr(), "100");
  EXPECT_STREQ(NumberToText(1.0 / 3.0).CStr(), "0.3333333333");
  EXPECT_STREQ(NumberToText(0.0).CStr(), "0");
  EXPECT_STREQ(NumberToText(1234567890.0).CStr(), "1234567890");
  // Single precision is widened first, so its rounding error shows.
  EXPECT_STREQ(NumberToText(0.1f).CStr(), "0.1000000015");
  EXPECT_EQ(TextLength(-250), 4);
  EXPECT_EQ(TextLength(2.5), 3);
}

TEST(RtString, ConcatenationPutsNumbersInTheirTextForm) {
  EXPECT_STREQ((RtString("Score: ") + 1500).CStr(), "Score: 1500");
  EXPECT_STREQ((RtString("x") + (-7)).CStr(), "x-7");
  EXPECT_STREQ((2.0 + RtString("%")).CStr(), "2%");
  EXPECT_STREQ((RtString("v") + 0.5).CStr(), "v0.5");
  EXPECT_STREQ(("P" + RtString("1") + " *JOIN NOW*").CStr(), "P1 *JOIN NOW*");

  RtString left("abc");
  RtString joined = left + "def";
  EXPECT_STREQ(left.CStr(), "abc");  // the left operand is never modified
  EXPECT_STREQ(joined.CStr(), "abcdef");

  RtString text("x");
  text += 12;
  text += 0.25;
  text += RtString("!");
  EXPECT_STREQ(text.CStr(), "x120.25!");
}

TEST(RtString, AppendingAStringToItselfOrAPieceOfItselfIsSafe) {
  RtString s("abcdefghijklmnop");  // fills a 32-byte buffer halfway
  s += s;
  EXPECT_STREQ(s.CStr(), "abcdefghijklmnopabcdefghijklmnop");
  s = s.CStr() + 30;
  EXPECT_STREQ(s.CStr(), "op");
  s += s.CStr();
  EXPECT_STREQ(s.CStr(), "opop");
}

TEST(RtString, TextsCompareByteWiseAndWithNumbersNumerically) {
  EXPECT_TRUE(RtString("abc") < RtString("abd"));
  EXPECT_TRUE(RtString("B") < "a");  // byte order, case-sensitive
  EXPECT_TRUE(RtString("\xC8") > "z");  // bytes above 127 compare as unsigned
  EXPECT_TRUE("abc" == RtString("abc"));
  EXPECT_FALSE(RtString("abc") != "abc");

  EXPECT_TRUE(RtString("10") == 10);
  EXPECT_TRUE(RtString("10abc") == 10);
  EXPECT_TRUE(RtString("abc") == 0);
  EXPECT_TRUE(RtString("1e2") == 100.0);
  EXPECT_TRUE(RtString("  -3") < -2);
  EXPECT_TRUE(5 > RtString("4"));
  EXPECT_TRUE(2.5 <= RtString("2.5"));
  EXPECT_TRUE(RtString("2.5") == 2);  // against an integer the text converts as an integer
  EXPECT_FALSE(RtString("2.5") == 2.0);
  EXPECT_EQ(CompareText(RtString("2.5"), 2), 0);
  EXPECT_EQ(CompareText(RtString("7"), 9.5), -1);
  EXPECT_EQ(CompareText(RtString("7"), 6), 1);
}

TEST(RtString, ConversionsFromTextNeverFail) {
  EXPECT_EQ(TextToInteger(RtString("  42xyz")), 42);
  EXPECT_EQ(TextToInteger(RtString("nothing")), 0);
  EXPECT_DOUBLE_EQ(TextToReal(RtString("-1.5e1")), -15.0);
  EXPECT_DOUBLE_EQ(TextToReal(RtString("")), 0.0);
}

TEST(RtString, CharacterCommandsReadBytesSignedOrUnsigned) {
  RtString high("\xC8" "A");
  EXPECT_EQ(CharCode(high), 200);
  EXPECT_EQ(CharAt(high, 0), -56);
  EXPECT_EQ(CharAt(high, 1), 65);
  EXPECT_EQ(CharAt(RtString(), 5), 0);
  EXPECT_EQ(CharAt(high, 9), 0);  // outside the text reads 0
  EXPECT_EQ(CharCode(RtString()), 0);

  EXPECT_STREQ(CharFromCode(65).CStr(), "A");
  EXPECT_EQ(CharFromCode(0).Length(), 0u);
  EXPECT_EQ(CharCode(CharFromCode(1)), 1);
  EXPECT_EQ(CharCode(CharFromCode(256 + 66)), 66);

  RtString word("hello");
  SetCharAt(word, 0, 'j');
  SetCharAt(word, 99, 'x');  // outside: nothing happens
  EXPECT_STREQ(word.CStr(), "jello");
  TruncateAt(word, 2);
  EXPECT_STREQ(word.CStr(), "je");
  EXPECT_EQ(word.Length(), 2u);
}

TEST(RtString, CaseCopiesTouchOnlyAsciiLetters) {
  RtString mixed("aZ09_!\xE9\xC9");
  EXPECT_STREQ(ToUpperCopy(mixed).CStr(), "AZ09_!\xE9\xC9");
  EXPECT_STREQ(ToLowerCopy(mixed).CStr(), "az09_!\xE9\xC9");
  EXPECT_STREQ(mixed.CStr(), "aZ09_!\xE9\xC9");
}

TEST(RtString, SameIgnoringCaseFoldsOnlyAsciiLetters) {
  EXPECT_TRUE(SameIgnoringCase("Game.ZORAX", "game.zorax"));
  EXPECT_TRUE(SameIgnoringCase("", ""));
  EXPECT_FALSE(SameIgnoringCase("game", "games"));
  // Bytes that differ only in the 0x20 bit but are no letters, and letters
  // outside ASCII, must still match exactly.
  EXPECT_FALSE(SameIgnoringCase("@[", "`{"));
  EXPECT_FALSE(SameIgnoringCase("\xC9", "\xE9"));
  EXPECT_TRUE(SameIgnoringCase(std::string_view("a\0B", 3), std::string_view("A\0b", 3)));
  EXPECT_FALSE(SameIgnoringCase(std::string_view("a\0", 2), std::string_view("a\x20", 2)));
}

TEST(RtString, FindTextGivesTheFirstOccurrence) {
  RtString hello("hello");
  EXPECT_EQ(FindText(hello, RtString()), 0);
  EXPECT_EQ(FindText(hello, "lo"), 3);
  EXPECT_EQ(FindText(hello, "l"), 2);
  EXPECT_EQ(FindText(hello, "x"), -1);
  EXPECT_EQ(FindText(RtString(), "x"), -1);
}

TEST(RtString, ReplaceTextNeverSearchesItsOwnReplacements) {
  EXPECT_STREQ(ReplaceText("a\rb\r\rc", "\r", "").CStr(), "abc");
  EXPECT_STREQ(ReplaceText("one\ntwo\n", "\n", "\r\n").CStr(), "one\r\ntwo\r\n");
  EXPECT_STREQ(ReplaceText("aaa", "a", "aa").CStr(), "aaaaaa");
  EXPECT_STREQ(ReplaceText("abcabc", "bc", "XY").CStr(), "aXYaXY");  // same length, in place
  EXPECT_STREQ(ReplaceText("abc", "", "x").CStr(), "abc");
  EXPECT_STREQ(ReplaceText("abc", "abcd", "x").CStr(), "abc");
}

TEST(RtString, SplitTextDropsEmptyPieces) {
  RtArray<RtString> pieces;
  EXPECT_EQ(SplitText("a,,b,", pieces, ","), 2);
  ASSERT_EQ(pieces.DimSize(0), 2);
  EXPECT_STREQ(pieces[0].CStr(), "a");
  EXPECT_STREQ(pieces[1].CStr(), "b");

  EXPECT_EQ(SplitText("", pieces, ","), 0);
  EXPECT_EQ(pieces.DimSize(0), 0);

  EXPECT_EQ(SplitText(" x;y z ", pieces, " ;"), 3);
  EXPECT_STREQ(pieces[2].CStr(), "z");

  // The title screen's way of cutting lines: every LF preceded by a CR, so an
  // empty line between two LFs still yields an (afterwards empty) entry.
  RtString title = ReplaceText(ReplaceText("Title\n\nPress fire\n", "\r", ""), "\n", "\r\n");
  EXPECT_EQ(SplitText(title, pieces, "\n"), 3);
  EXPECT_STREQ(pieces[1].CStr(), "\r");

  EXPECT_EQ(SplitText("whole", pieces, ""), 1);
  EXPECT_STREQ(pieces[0].CStr(), "whole");
}

}  // namespace
