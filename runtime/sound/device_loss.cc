// Watching the sound device: SDL reports an opened device that stopped
// working with SDL_AUDIODEVICEREMOVED (its id in `which`; 0 stands for a
// device nobody opened, which is no concern of ours). From then on a try to
// open it again is due every kSoundRetryMs until one succeeds.
#include "runtime/sound/device_loss.h"

#include <SDL.h>

#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/sound/sound.h"

namespace {

struct DeviceWatch {
  bool Away = false;
  double NextTry = 0;
  SoundDeviceOpener Opener = nullptr;
};

DeviceWatch& Watch() {
  static DeviceWatch watch;
  return watch;
}

}  // namespace

void SoundDeviceEvent(const SDL_Event& event) {
  if (event.type != SDL_AUDIODEVICEREMOVED) return;
  if (event.adevice.iscapture != 0 || event.adevice.which == 0) return;
  DeviceWatch& watch = Watch();
  if (watch.Away || !CloseLostSoundDevice()) return;
  watch.Away = true;
  watch.NextTry = NowMs() + kSoundRetryMs;
  AppendErrorLog("Sound device lost");
}

void SoundDeviceTick() {
  if (Watch().Away) SoundDeviceTickAt(NowMs());
}

void SoundDeviceTickAt(double nowMs) {
  DeviceWatch& watch = Watch();
  if (!watch.Away || nowMs < watch.NextTry) return;
  // The device may also have been closed for good meanwhile (program end).
  if (!SoundDeviceAway()) {
    watch.Away = false;
    return;
  }
  const bool opened = watch.Opener != nullptr ? watch.Opener() : ReopenSoundDevice();
  if (!opened) {
    watch.NextTry = nowMs + kSoundRetryMs;
    return;
  }
  watch.Away = false;
  AppendErrorLog("Sound device back");
}

void SetSoundDeviceOpener(SoundDeviceOpener opener) {
  Watch().Opener = opener;
}
