// The options screen's events, drawing and loop. The screen runs its own
// frames inside the overlay pass of the game's frame: the game is simply not
// called until it closes. The frozen picture is grabbed into a sprite slot
// that games leave alone, drawn under the menu on every frame, and put back
// on the back buffer when the screen closes, so the frame the game handed
// over is the one shown next.
#include "player/settings/options_screen.h"

#include <SDL.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "player/host_dispatch.h"
#include "player/settings/settings_store.h"
#include "runtime/core/config.h"
#include "runtime/core/frame.h"
#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/core/window.h"
#include "runtime/gfx2d/drawing.h"
#include "runtime/gfx2d/screen_target.h"
#include "runtime/gfx2d/sprite_store.h"
#include "runtime/gfx2d/text.h"
#include "runtime/input/input.h"
#include "runtime/input/pads.h"
#include "runtime/input/scan_codes.h"
#include "runtime/sound/music.h"

namespace {

// Just below the slot the runtime keeps for emulated screens; a game's
// sprites and tiles sit far lower.
constexpr int32_t kFrozenSlot = 65502;
constexpr int32_t kMenuFont = 0;  // the runtime's own start-up font

// Packed colours (red + green * 256 + blue * 65536).
constexpr int32_t kBlack = 0x000000;
constexpr int32_t kPanel = 0x301810;
constexpr int32_t kSelection = 0x805020;
constexpr int32_t kRule = 0xA07040;

struct ScreenState {
  bool OpenRequested = false;
  bool Open = false;
  std::vector<SDL_Event> Inputs;  // key presses and pad buttons, in order
  OptionsFrameObserver Observer = nullptr;
};

ScreenState& State() {
  static ScreenState state;
  return state;
}

bool OpensScreen(uint8_t button) {
  return button == SDL_CONTROLLER_BUTTON_START || button == SDL_CONTROLLER_BUTTON_GUIDE;
}

// Sees every event before the runtime. Closed, it takes only what opens the
// screen; open, it takes every key press and pad button, and leaves key
// releases to the runtime so that no key stays down for the game.
bool HandleEvent(const SDL_Event& event) {
  ScreenState& state = State();
  if (!state.Open) {
    if ((event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) &&
        event.key.keysym.scancode == SDL_SCANCODE_F1) {
      if (event.type == SDL_KEYDOWN && event.key.repeat == 0) state.OpenRequested = true;
      return true;
    }
    if (event.type == SDL_CONTROLLERBUTTONDOWN && OpensScreen(event.cbutton.button)) {
      state.OpenRequested = true;
      return true;
    }
    return false;
  }
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_CONTROLLERBUTTONDOWN:
      state.Inputs.push_back(event);
      return true;
    case SDL_TEXTINPUT:
    case SDL_TEXTEDITING:
    case SDL_CONTROLLERBUTTONUP:
      return true;
    default:
      return false;
  }
}

std::optional<MenuInput> InputOfKey(SDL_Scancode key) {
  switch (key) {
    case SDL_SCANCODE_UP:
      return MenuInput::kUp;
    case SDL_SCANCODE_DOWN:
      return MenuInput::kDown;
    case SDL_SCANCODE_LEFT:
      return MenuInput::kLeft;
    case SDL_SCANCODE_RIGHT:
      return MenuInput::kRight;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
    case SDL_SCANCODE_SPACE:
      return MenuInput::kAccept;
    case SDL_SCANCODE_ESCAPE:
    case SDL_SCANCODE_F1:
      return MenuInput::kBack;
    default:
      return std::nullopt;
  }
}

std::optional<MenuInput> InputOfButton(uint8_t button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
      return MenuInput::kUp;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
      return MenuInput::kDown;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
      return MenuInput::kLeft;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
      return MenuInput::kRight;
    case SDL_CONTROLLER_BUTTON_A:
      return MenuInput::kAccept;
    case SDL_CONTROLLER_BUTTON_B:
    case SDL_CONTROLLER_BUTTON_START:
    case SDL_CONTROLLER_BUTTON_GUIDE:
      return MenuInput::kBack;
    default:
      return std::nullopt;
  }
}

void Apply(OptionsMenu& menu, const SDL_Event& event) {
  bool changed = false;
  if (event.type == SDL_KEYDOWN) {
    const SDL_Scancode key = event.key.keysym.scancode;
    // Left Alt + F4 ends the program here too.
    if (key == SDL_SCANCODE_F4 && (event.key.keysym.mod & KMOD_LALT) != 0) EndProgramNormally();
    if (menu.Capturing) {
      if (event.key.repeat == 0) changed = CaptureKey(menu, Set1FromScancode(key));
    } else if (const std::optional<MenuInput> input = InputOfKey(key)) {
      changed = StepMenu(menu, *input);
    }
  } else if (event.type == SDL_CONTROLLERBUTTONDOWN) {
    const uint8_t button = event.cbutton.button;
    if (menu.Capturing) {
      // Start and Guide cancel a capture, as Escape does.
      if (OpensScreen(button)) {
        StepMenu(menu, MenuInput::kBack);
      } else {
        changed = CapturePadButton(menu, button);
      }
    } else if (const std::optional<MenuInput> input = InputOfButton(button)) {
      changed = StepMenu(menu, *input);
    }
  }
  if (changed) ChangeRunSettings(menu.Values);
}

// Words of text on lines of at most `width` characters.
std::vector<std::string> Wrapped(const std::string& text, size_t width) {
  std::vector<std::string> lines;
  std::string line;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(at, end - at);
    if (!line.empty() && line.size() + 1 + word.size() > width) {
      lines.push_back(line);
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    at = end + 1;
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string Fitted(const std::string& text, size_t width) {
  if (text.size() <= width) return text;
  if (width < 3) return text.substr(0, width);
  return text.substr(0, width - 3) + "...";
}

void Print(const std::string& text, int32_t x, int32_t y) {
  PrintText(RtString(std::string_view(text)), x, y);
}

void DrawScreen(const OptionsMenu& menu, bool frozen) {
  ResetDrawingState();
  SetView2D(0, 0, 0, 0);
  int32_t width = 0, height = 0;
  GetScreenSize(width, height);
  if (frozen) DrawSprite(kFrozenSlot, 0, 0);
  SetAlphaMode(-0.5);
  DrawRect(0, 0, width, height, kBlack);
  SetAlphaMode(0);

  SetFont(kMenuFont);
  int32_t fontW = 0, fontH = 0;
  GetFontSize(fontW, fontH);
  fontW = std::max(fontW, 1);
  fontH = std::max(fontH, 1);
  const int32_t margin = std::max(fontW, 8);
  const int32_t rowH = fontH + std::max(fontH / 5, 2);
  const size_t columns = static_cast<size_t>(std::max(width - 2 * margin, 0) / fontW);

  SetAlphaMode(-0.8);
  DrawRect(margin / 2, margin / 2, width - margin, height - margin, kPanel);
  SetAlphaMode(0);
  const std::string title = "OPTIONS";
  int32_t y = margin;
  Print(title, (width - static_cast<int32_t>(title.size()) * fontW) / 2, y);
  y += rowH + rowH / 2;
  DrawRect(margin, y - rowH / 4 - 1, width - 2 * margin, 1, kRule);

  // Labels take the left column, values the rest.
  const size_t labelColumns = 16;
  const int32_t valueX = margin + static_cast<int32_t>(labelColumns) * fontW;
  const size_t valueColumns = columns > labelColumns ? columns - labelColumns : 0;
  for (int32_t row = 0; row < OptionsRowCount(); ++row) {
    if (row == menu.Row) DrawRect(margin / 2 + 2, y - 2, width - margin - 4, rowH, kSelection);
    Print(Fitted(RowLabel(row), labelColumns - 1), margin, y);
    Print(Fitted(RowValue(menu, row), valueColumns), valueX, y);
    y += rowH;
  }

  y += rowH / 2;
  DrawRect(margin, y - rowH / 4 - 1, width - 2 * margin, 1, kRule);
  const std::string hint = menu.Capturing ? kCapturePrompt : "Enter sets, Escape goes back";
  for (const std::string& line : Wrapped(hint, columns)) {
    Print(line, margin, y);
    y += rowH;
  }
}

// Waits while the window is inactive, as the frame loop does.
void WaitWhilePaused() {
  while (Flags().Paused != 0) {
    MusicLoopTick();
    PumpWindowMessages();
    SleepWholeMs(100);
  }
}

void RunScreen() {
  ScreenState& state = State();
  state.Open = true;
  state.Inputs.clear();
  const int32_t font = CurrentFont();

  // The game's finished frame, kept while the screen is up.
  EndCurrentScreen();
  ResetDrawingState();
  SetView2D(0, 0, 0, 0);
  int32_t width = 0, height = 0, usedW = 0, usedH = 0;
  GetScreenSize(width, height);
  GetSpriteSize(kFrozenSlot, usedW, usedH);
  const bool frozen = usedW == 0 && usedH == 0 && GrabSprite(kFrozenSlot, 0, 0, width, height) == 1;

  // Full screen as the window is now: Alt+Enter and F11 switch it without
  // changing the settings, also while this screen is up.
  FollowWindowState();
  OptionsMenu menu;
  menu.Values = RunSettings();
  for (int64_t frame = 0; !menu.Closed; ++frame) {
    FollowWindowState();
    menu.Values.Video.FullScreen = RunSettings().Video.FullScreen;
    DrawScreen(menu, frozen);
    if (state.Observer != nullptr) state.Observer(frame, menu);
    MusicLoopTick();
    SwapAndPace();
    WaitWhilePaused();
    // Polls the pads (their buttons arrive as events) and drains the keyboard.
    JoystickCountQuery();
    ReadKeyboard();
    std::vector<SDL_Event> inputs;
    inputs.swap(state.Inputs);
    for (const SDL_Event& event : inputs) {
      if (!menu.Closed) Apply(menu, event);
    }
  }

  ResetDrawingState();
  SetView2D(0, 0, 0, 0);
  if (frozen) {
    DrawSprite(kFrozenSlot, 0, 0);
    DeleteSprite(kFrozenSlot);
  }
  SetFont(font);
  // A button that closed the screen is not a press for the game.
  HoldPadButtonsUntilReleased();
  state.Inputs.clear();
  state.Open = false;
}

void Overlay() {
  ScreenState& state = State();
  if (!state.OpenRequested || state.Open) return;
  state.OpenRequested = false;
  RunScreen();
}

}  // namespace

void InstallOptionsScreen() {
  const OptionsFrameObserver observer = State().Observer;
  State() = ScreenState{};
  State().Observer = observer;
  AddPlayerEventHandler(HandleEvent);
  AddPlayerOverlay(Overlay);
}

bool OptionsScreenOpen() {
  return State().Open;
}

void SetOptionsFrameObserver(OptionsFrameObserver observer) {
  State().Observer = observer;
}
