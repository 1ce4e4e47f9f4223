// The input state's life: created at start-up, devices opened for the window,
// events routed to the keyboard, mouse and joystick files, and everything
// released by the end path.
#include "runtime/input/input.h"

#include "runtime/core/host_hooks.h"
#include "runtime/core/program_end.h"
#include "runtime/input/input_events.h"
#include "runtime/input/input_state.h"

namespace {

// Input events live in two blocks of SDL's event numbers: keyboard, text and
// mouse events, then joystick and controller events.
constexpr uint32_t kKeyboardAndMouseFirst = SDL_KEYDOWN;
constexpr uint32_t kKeyboardAndMouseLast = SDL_JOYAXISMOTION - 1;
constexpr uint32_t kJoystickFirst = SDL_JOYAXISMOTION;
constexpr uint32_t kJoystickLast = SDL_FINGERDOWN - 1;

void DrainRange(uint32_t first, uint32_t last) {
  SDL_Event batch[64];
  for (;;) {
    const int n = SDL_PeepEvents(batch, 64, SDL_GETEVENT, first, last);
    // The host sees these events first too, as it sees those of the
    // window's message pump (its keys never reach the game).
    for (int i = 0; i < n; ++i) {
      if (!OfferHostEvent(batch[i])) InputHandleEvent(batch[i]);
    }
    if (n < 64) return;
  }
}

void ReleaseInput() {
  InputState& state = Input();
  CloseJoysticks();
  ReleaseMouse();
  if (state.PadLayer) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  if (state.JoystickLayer) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  if (state.DirectInput) SDL_QuitSubSystem(SDL_INIT_EVENTS);
  SDL_ResetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS);
  state = InputState{};
}

}  // namespace

InputState& Input() {
  static InputState state;
  return state;
}

void PollInputEvents() {
  if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return;
  // Moves what the system has into SDL's queue.
  SDL_PumpEvents();
  DrainRange(kKeyboardAndMouseFirst, kKeyboardAndMouseLast);
  DrainRange(kJoystickFirst, kJoystickLast);
}

void InputHandleEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_TEXTINPUT:
      KeyboardHandleEvent(event);
      break;
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL:
      MouseHandleEvent(event);
      break;
    case SDL_JOYDEVICEADDED:
    case SDL_JOYDEVICEREMOVED:
      JoystickHandleEvent(event);
      break;
    default:
      // Axis, button and hat events need no handling: joysticks are read
      // from SDL's own state when they are queried.
      break;
  }
}

void CreateInputState() {
  if (Input().DirectInput || Input().JoystickLayer) ReleaseInput();
  Input() = InputState{};
  SetTeardownHook(TeardownStep::kInput, ReleaseInput);
}

void OpenInputDevices(int32_t hideMouse) {
  InputState& state = Input();
  if (state.DirectInput || state.JoystickLayer) ReleaseInput();
  SetTeardownHook(TeardownStep::kInput, ReleaseInput);

  state.DirectInput = SDL_InitSubSystem(SDL_INIT_EVENTS) == 0;
  if (!state.DirectInput) AppendErrorLog("No DX_Input");

  // Keyboard: its events arrive through the event layer.
  state.KeyboardDevice = state.DirectInput;
  if (!state.KeyboardDevice) AppendErrorLog("No DX_KB");

  OpenMouse(hideMouse);

  // Without the joystick layer the game simply sees no joysticks. Sticks are
  // polled by the joystick commands only: polling them costs far more than a
  // keyboard read, which happens many times a frame.
  SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
  state.JoystickLayer = state.DirectInput && SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
  // Sticks with a controller mapping are read as pads as well.
  state.PadLayer = state.JoystickLayer && SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  OpenJoysticks();
}
