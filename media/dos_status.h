// The drive's status as the 1541 reports it on its command channel: an error number, the
// DOS's text for it and a track and sector, sent as "62,FILE NOT FOUND,00,00".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace media {

// The 1541's error numbers used by the drive.
enum DosError : std::uint8_t {
  kDosOk = 0,
  kDosFilesScratched = 1,
  kDosReadHeaderNotFound = 20,  // 20-24 and 27 read errors, from the image's error bytes
  kDosReadNoSync = 21,
  kDosWriteError = 25,
  kDosWriteProtectOn = 26,
  kDosSyntaxError = 30,      // the command's form
  kDosInvalidCommand = 31,   // a command the drive does not know
  kDosLineTooLong = 32,      // more than 58 bytes
  kDosInvalidFileName = 33,  // a pattern where one file must be named
  kDosNoFileName = 34,
  kDosWriteFileOpen = 60,
  kDosFileNotOpen = 61,
  kDosFileNotFound = 62,
  kDosFileExists = 63,
  kDosFileTypeMismatch = 64,
  kDosIllegalTrackOrSector = 66,
  kDosNoChannel = 70,
  kDosDirError = 71,
  kDosDiskFull = 72,
  kDosVersion = 73,  // after power-on and reset
  kDosDriveNotReady = 74,
};

struct DosStatus {
  std::uint8_t code = kDosOk;
  std::uint8_t track = 0;
  std::uint8_t sector = 0;
  bool operator==(const DosStatus&) const = default;
};

// The DOS's text for an error number ("FILE NOT FOUND"); numbers the 1541 does not have
// read "UNKNOWN ERROR".
std::string_view DosErrorText(std::uint8_t code);

// "NN,TEXT,TT,SS" with two digits for each number, without the closing carriage return.
std::string DosStatusLine(const DosStatus& status);

// The error an error byte of a D64 image stands for (codes 2-11 are errors 20-29, 15 is
// 74); 0 for a byte that marks a good sector ($00, $01).
std::uint8_t DosErrorOfErrorByte(std::uint8_t errorByte);

}  // namespace media
