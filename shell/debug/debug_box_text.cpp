// Text for the debug window's multi-line boxes: the machine's "\r\n" lines and
// Windows-1252 bytes turned into what the Qt controls show.
#include "shell/debug/debug_box_text.h"

namespace shell {

namespace {

// Unicode code points of bytes 0x80-0x9F in Windows-1252.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

char16_t DecodeByte(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
  return byte;
}

}  // namespace

QString DecodeWindows1252(std::string_view text) {
  QString result(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
  QChar* out = result.data();
  for (char c : text) *out++ = QChar(DecodeByte(static_cast<unsigned char>(c)));
  return result;
}

QString DecodeForMultiLineBox(std::string_view text) {
  QString result(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
  QChar* out = result.data();
  for (char c : text) {
    if (c == '\r') continue;
    *out++ = QChar(DecodeByte(static_cast<unsigned char>(c)));
  }
  result.truncate(out - result.constData());
  return result;
}

QString WithWindowsLineEnds(const QString& boxText) {
  QString result = boxText;
  result.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
  return result;
}

}  // namespace shell
