// The runtime's fixed start-up configuration and the few process-wide flags
// that start-up sets. There is no configuration file: RuntimeMain fills this
// block once before the devices are opened.
#pragma once

#include <cstdint>
#include <string>

struct RuntimeConfig {
  int32_t ScreenWidth = 640;  // client size of the window and extent of the 2D view
  int32_t ScreenHeight = 480;
  int32_t FrameRate = 60;   // PresentFrame paces to this; 0 or below gives a 2 ms interval
  int32_t FullScreen = 0;   // non-zero: switch the display mode at start-up
  int32_t Multisample = 0;  // non-zero: ask for a multisampled pixel format
  int32_t DebugMode = 0;    // never pause, and log the end state in EndProgram
  int32_t HideMouse = 1;    // hide the pointer and read relative motion
};

// Flags shared by the window, the frame loop and start-up.
struct RuntimeFlags {
  uint8_t PauseWhenInactive = 0;  // set by start-up: losing the focus pauses the game
  uint8_t Paused = 0;             // PresentFrame waits while this is set
  // Set by a host that runs only the game's logic (a replay checked without
  // a screen): drawing commands and the buffer swap then do nothing, as
  // before the window exists. Loading must be over: sprites are made by
  // drawing them.
  uint8_t DrawingSuspended = 0;
};

// The single configuration block of the process.
RuntimeConfig& Config();

// The process-wide pause flags.
RuntimeFlags& Flags();

// Where start-up looks for the game's media: the folder that becomes the
// current folder, and the file whose appended archive is read. Not given:
// the running program's own folder and file.
struct MediaPlaces {
  bool Given = false;
  std::string Folder;       // becomes the current folder
  std::string ArchiveFile;  // "": no archive is read at all
};

// The media places start-up uses; a host program sets them before start-up.
MediaPlaces& StartupMedia();
