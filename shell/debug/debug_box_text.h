// Text as the debug window's boxes hold it. Machine texts are Windows-1252 with "\r\n"
// line ends; the multi-line boxes hold one paragraph per line.
#pragma once

#include <QString>
#include <string_view>

namespace shell {

// Decodes Windows-1252: 0x00-0x7F and 0xA0-0xFF as in Latin-1 (0xFC is U+00FC), and
// 0x80-0x9F to the typographic characters of that code page (0x80 the euro sign). The
// five bytes the code page leaves undefined keep their C1 control code points.
QString DecodeWindows1252(std::string_view text);

// DecodeWindows1252, with every "\r\n" turned into the one line break of a multi-line
// box. A lone "\r" is dropped, as the box would otherwise start a line of its own for it.
QString DecodeForMultiLineBox(std::string_view text);

// The text of a multi-line box with its line breaks written as "\r\n" again.
QString WithWindowsLineEnds(const QString& boxText);

}  // namespace shell
