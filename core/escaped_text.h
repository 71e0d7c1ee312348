// Text that came from the emulated machine or the command line, made safe to show: a
// message box, the debug log and standard error see printable ASCII only.
#pragma once

#include <string>
#include <string_view>

namespace core {

// Printable ASCII ($20-$7E) as it is; every other byte (control codes such as ESC, NUL,
// DEL, and all bytes from $80 up, PETSCII's graphics and UTF-8 alike) as \xNN with two
// upper-case hexadecimal digits. No terminal sequence survives it.
std::string EscapedText(std::string_view text);

}  // namespace core
