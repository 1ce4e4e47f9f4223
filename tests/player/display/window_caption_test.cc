// The caption a game's title text gives its window.
#include <gtest/gtest.h>

#include <string>

#include "player/display/window_caption.h"

namespace {

TEST(WindowCaption, TheFirstLineThatIsNotBlankTrimmedAndInUtf8) {
  struct Case {
    std::string Title;
    std::string Caption;
  };
  const Case cases[] = {
      {"Skylane\r\nPress fire to start", "Skylane"},
      {"Your Game\nPress fire to start", "Your Game"},
      {"\r\n  \t\n   Deep  Space \t\r\nfire!", "Deep  Space"},
      {"", ""},
      {" \r\n\t\n", ""},
      // UTF-8 stays as it is; Windows-1252 bytes become their characters.
      {"Sp\xC3\xAF""el", "Sp\xC3\xAF""el"},
      {"Sp\xEF""el \x80 \x93x\x94", "Sp\xC3\xAF""el \xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D"},
      // Letter-spaced capitals spell their word; other spacing stays.
      {"S K Y L A N E\nPress fire", "Skylane"},
      {"  S K Y  L A N E  ", "Sky Lane"},
      {"r - t y p e", "r-type"},
      {"A B", "Ab"},
      {"I M", "Im"},
      {"A  B C", "A Bc"},
      {"A", "A"},
      {"Big Bad Boss", "Big Bad Boss"},
      {"S K Y LANE", "S K Y LANE"},
      {"X  Y", "X Y"},
      // A byte that Windows-1252 leaves unassigned is dropped.
      {"a\x81z", "az"},
      // Overlong and surrogate forms are not UTF-8.
      {"\xC0\xAF", "\xC3\x80\xC2\xAF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CaptionFromTitle(c.Title), c.Caption) << c.Title;
  }
}

TEST(WindowCaption, ALongTitleIsCutBetweenCharacters) {
  std::string title;
  for (int i = 0; i < 100; ++i) title += "\xC3\xA9";  // 200 bytes of "é"
  const std::string caption = CaptionFromTitle(title);
  EXPECT_EQ(caption.size(), 120u);
  EXPECT_EQ(caption, title.substr(0, 120));
  title = "x" + title;  // now an "é" straddles the limit
  EXPECT_EQ(CaptionFromTitle(title), title.substr(0, 119));
}

}  // namespace
