// The user's folders on POSIX desktops, after the XDG base directory and user
// directory rules, on which ApplicationFolder (runtime/core/system.h) builds.
// Nothing here creates a folder; each returns "" when not even a home folder
// is known.
//
// HomeFolder           (declared in system.h) $HOME, else the home folder of the account
// ConfigHome           $XDG_CONFIG_HOME when it is an absolute path, else ~/.config
// DataHome             $XDG_DATA_HOME when it is an absolute path, else ~/.local/share
// PicturesFolder       $XDG_PICTURES_DIR when absolute, else the XDG_PICTURES_DIR entry of
//                      ConfigHome()/user-dirs.dirs, else ~/Pictures
// PicturesEntry        the XDG_PICTURES_DIR entry of a user-dirs.dirs text, "$HOME"
//                      replaced by home; "" when there is no usable entry
#pragma once

#include <string>
#include <string_view>

#include "runtime/core/system.h"

std::string ConfigHome();
std::string DataHome();
std::string PicturesFolder();
std::string PicturesEntry(std::string_view userDirs, const std::string& home);
