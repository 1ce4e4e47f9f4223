// Characters of newly pressed keys: once per press, shift and caps lock
// applied, the layout's own text preferred.
#include <gtest/gtest.h>

#include "runtime/input/input.h"
#include "runtime/input/input_events.h"
#include "tests/input/input_test_events.h"

using namespace inputtest;

namespace {

class TypedCharTest : public ::testing::Test {
 protected:
  // The keyboard layout's keymap comes with the video layer, as in the player.
  void SetUp() override {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    CreateInputState();
    OpenInputDevices(1);
  }
  void TearDown() override { SDL_QuitSubSystem(SDL_INIT_VIDEO); }
};

TEST_F(TypedCharTest, HeldKeyTypesOnceAndAgainAfterRelease) {
  PushKey(SDL_SCANCODE_A, true);
  EXPECT_EQ(TypedChar(), 'a');
  EXPECT_EQ(TypedChar(), 0);
  Push(KeyEvent(SDL_SCANCODE_A, true, 0, 1));  // key repeat
  EXPECT_EQ(TypedChar(), 0);
  PushKey(SDL_SCANCODE_A, false);
  EXPECT_EQ(TypedChar(), 0);
  PushKey(SDL_SCANCODE_A, true);
  EXPECT_EQ(TypedChar(), 'a');
}

TEST_F(TypedCharTest, ShiftAndCapsLockGiveCapitals) {
  PushKey(SDL_SCANCODE_LSHIFT, true, KMOD_LSHIFT);
  EXPECT_EQ(TypedChar(), 0);  // shift alone types nothing
  PushKey(SDL_SCANCODE_A, true, KMOD_LSHIFT);
  EXPECT_EQ(TypedChar(), 'A');
  PushKey(SDL_SCANCODE_A, false, KMOD_LSHIFT);
  PushKey(SDL_SCANCODE_LSHIFT, false);

  PushKey(SDL_SCANCODE_B, true, KMOD_CAPS);
  EXPECT_EQ(TypedChar(), 'B');
  PushKey(SDL_SCANCODE_B, false, KMOD_CAPS);

  // Shift with caps lock would give a small letter; shift raises it again.
  PushKey(SDL_SCANCODE_RSHIFT, true, KMOD_CAPS | KMOD_RSHIFT);
  PushKey(SDL_SCANCODE_C, true, KMOD_CAPS | KMOD_RSHIFT);
  EXPECT_EQ(TypedChar(), 'C');
}

TEST_F(TypedCharTest, EnterAndBackspaceGiveControlCodesOtherKeysAndControlNone) {
  PushKey(SDL_SCANCODE_RETURN, true);
  EXPECT_EQ(TypedChar(), 10);
  PushKey(SDL_SCANCODE_RETURN, false);
  PushKey(SDL_SCANCODE_KP_ENTER, true);
  EXPECT_EQ(TypedChar(), 10);
  PushKey(SDL_SCANCODE_KP_ENTER, false);
  PushKey(SDL_SCANCODE_BACKSPACE, true);
  EXPECT_EQ(TypedChar(), 8);
  PushKey(SDL_SCANCODE_BACKSPACE, false);

  for (SDL_Scancode key :
       {SDL_SCANCODE_TAB, SDL_SCANCODE_ESCAPE, SDL_SCANCODE_F1, SDL_SCANCODE_DELETE,
        SDL_SCANCODE_UP, SDL_SCANCODE_LALT, SDL_SCANCODE_CAPSLOCK, SDL_SCANCODE_APPLICATION}) {
    PushKey(key, true);
    EXPECT_EQ(TypedChar(), 0) << key;
    PushKey(key, false);
  }
  PushKey(SDL_SCANCODE_SPACE, true);
  EXPECT_EQ(TypedChar(), ' ');
  PushKey(SDL_SCANCODE_SPACE, false);

  // Ctrl with a letter is a control character: nothing.
  PushKey(SDL_SCANCODE_LCTRL, true, KMOD_LCTRL);
  PushKey(SDL_SCANCODE_A, true, KMOD_LCTRL);
  EXPECT_EQ(TypedChar(), 0);
}

TEST_F(TypedCharTest, SecondKeyPressedWhileTheFirstIsHeldTypesToo) {
  // "b" has a higher code than "a": a held "a" must not hide it.
  PushKey(SDL_SCANCODE_A, true);
  EXPECT_EQ(TypedChar(), 'a');
  PushKey(SDL_SCANCODE_B, true);
  EXPECT_EQ(TypedChar(), 'b');
  EXPECT_EQ(TypedChar(), 0);
  // And the other way round.
  PushKey(SDL_SCANCODE_A, false);
  PushKey(SDL_SCANCODE_Q, true);  // code 16, below "b"
  EXPECT_EQ(TypedChar(), 'q');
  EXPECT_EQ(TypedChar(), 0);
}

TEST_F(TypedCharTest, RepeatedLetterWithShiftHeldTypesEachTime) {
  PushKey(SDL_SCANCODE_LSHIFT, true, KMOD_LSHIFT);
  for (int i = 0; i < 3; ++i) {
    PushKey(SDL_SCANCODE_Z, true, KMOD_LSHIFT);
    EXPECT_EQ(TypedChar(), 'Z') << i;
    PushKey(SDL_SCANCODE_Z, false, KMOD_LSHIFT);
    EXPECT_EQ(TypedChar(), 0);
  }
}

TEST_F(TypedCharTest, TextOfTheLayoutWinsOverTheKeymap) {
  // Shift+1 types "!" on this layout; the keymap alone would say "1".
  InputHandleEvent(KeyEvent(SDL_SCANCODE_LSHIFT, true, KMOD_LSHIFT));
  InputHandleEvent(KeyEvent(SDL_SCANCODE_1, true, KMOD_LSHIFT));
  InputHandleEvent(TextEvent("!"));
  EXPECT_EQ(TypedChar(), '!');
  InputHandleEvent(KeyEvent(SDL_SCANCODE_1, false, KMOD_LSHIFT));
  InputHandleEvent(KeyEvent(SDL_SCANCODE_LSHIFT, false));

  // Without text for this press the old text is not reused.
  InputHandleEvent(KeyEvent(SDL_SCANCODE_1, true));
  EXPECT_EQ(TypedChar(), '1');
  InputHandleEvent(KeyEvent(SDL_SCANCODE_1, false));

  // An accented letter is outside the single-byte range: nothing.
  InputHandleEvent(KeyEvent(SDL_SCANCODE_2, true));
  InputHandleEvent(TextEvent("\xC3\xA9"));
  EXPECT_EQ(TypedChar(), 0);
}

TEST_F(TypedCharTest, TypedCharTextIsTheCharacterOrEmpty) {
  EXPECT_EQ(TypedCharText().Std(), "");
  PushKey(SDL_SCANCODE_K, true);
  EXPECT_EQ(TypedCharText().Std(), "k");
  EXPECT_EQ(TypedCharText().Std(), "");
}

}  // namespace
