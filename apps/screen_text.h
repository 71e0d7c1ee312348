// The video matrix read back as text: what a script or a test sees on the screen.
#pragma once

#include <string>
#include <vector>

namespace apps {

// The 25 rows of the video matrix at VicBank + ScreenOffset, 40 characters each, read
// with the character set the video chip shows (VicBank + CharBaseOffset).
std::vector<std::string> ScreenTextLines();

// With c = code AND $7F: 0 '@', 1-26 'A'-'Z', 27 '[', 28 '\', 29 ']', 30 '^', 31 '_',
// 32-63 as ASCII, anything else '.'. In the ROM's lower/upper-case set (`mixedCase`), as
// programs that print mixed-case text select it, 1-26 are 'a'-'z' and 65-90 'A'-'Z'.
char ScreenCodeToAscii(unsigned code, bool mixedCase = false);

}  // namespace apps
