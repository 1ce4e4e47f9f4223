// Finding a file whose letter case differs from the name asked for. Games
// made on a system whose file names ignore case ask for "INGAMEFONT.BMP" or
// "Projects/skylane.zorax1.wav" and mean whatever case the file really has;
// a folder copied from such a system keeps its own spelling.
//
// FindCaseBlind  the path of the file named by hostPath with the letters it
//                really has: hostPath itself when it exists as written, else
//                each component that does not exist as written replaced by
//                the one entry of its folder that equals it but for the case
//                of A-Z (several: the first in byte order, with one log
//                line naming the choice); "" when nothing matches
#pragma once

#include <string>

std::string FindCaseBlind(const std::string& hostPath);
