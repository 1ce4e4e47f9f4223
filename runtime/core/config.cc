// Storage for the configuration block and the runtime flags: one instance per
// process, reached through accessors rather than bare globals.
#include "runtime/core/config.h"

RuntimeConfig& Config() {
  static RuntimeConfig config;
  return config;
}

RuntimeFlags& Flags() {
  static RuntimeFlags flags;
  return flags;
}

MediaPlaces& StartupMedia() {
  static MediaPlaces places;
  return places;
}
