// The video matrix read back as text: what a script or a test sees on the screen.
#pragma once

#include <string>
#include <vector>

namespace apps {

// The 25 rows of the video matrix at VicBank + ScreenOffset, 40 characters each. With
// c = code AND $7F: 0 '@', 1-26 'A'-'Z', 27 '[', 28 '\', 29 ']', 30 '^', 31 '_', 32-63 as
// ASCII, anything else '.'.
std::vector<std::string> ScreenTextLines();

char ScreenCodeToAscii(unsigned code);

}  // namespace apps
