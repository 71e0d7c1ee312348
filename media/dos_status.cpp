// The 1541's error texts by number and the status line built from them.
#include "media/dos_status.h"

#include <cstdio>

namespace media {

std::string_view DosErrorText(std::uint8_t code) {
  switch (code) {
    case 0: return " OK";
    case 1: return "FILES SCRATCHED";
    case 20:
    case 21:
    case 22:
    case 23:
    case 24:
    case 27: return "READ ERROR";
    case 25:
    case 28: return "WRITE ERROR";
    case 26: return "WRITE PROTECT ON";
    case 29: return "DISK ID MISMATCH";
    case 30:
    case 31:
    case 32:
    case 33:
    case 34: return "SYNTAX ERROR";
    case 60: return "WRITE FILE OPEN";
    case 61: return "FILE NOT OPEN";
    case 62: return "FILE NOT FOUND";
    case 63: return "FILE EXISTS";
    case 64: return "FILE TYPE MISMATCH";
    case 65: return "NO BLOCK";
    case 66: return "ILLEGAL TRACK AND SECTOR";
    case 67: return "ILLEGAL SYSTEM T OR S";
    case 70: return "NO CHANNEL";
    case 71: return "DIR ERROR";
    case 72: return "DISK FULL";
    case 73: return "CBM DOS V2.6 1541";
    case 74: return "DRIVE NOT READY";
    default: return "UNKNOWN ERROR";
  }
}

std::string DosStatusLine(const DosStatus& status) {
  char numbers[3][4];
  std::snprintf(numbers[0], sizeof numbers[0], "%02u", unsigned{status.code} % 100);
  std::snprintf(numbers[1], sizeof numbers[1], "%02u", unsigned{status.track} % 100);
  std::snprintf(numbers[2], sizeof numbers[2], "%02u", unsigned{status.sector} % 100);
  std::string line = numbers[0];
  line.append(",").append(DosErrorText(status.code)).append(",");
  line.append(numbers[1]).append(",").append(numbers[2]);
  return line;
}

std::uint8_t DosErrorOfErrorByte(std::uint8_t errorByte) {
  if (errorByte <= 0x01) return kDosOk;
  if (errorByte <= 0x0B) return static_cast<std::uint8_t>(18 + errorByte);
  if (errorByte == 0x0F) return kDosDriveNotReady;
  return kDosReadHeaderNotFound;  // a code the drive never wrote: the sector did not read
}

}  // namespace media
