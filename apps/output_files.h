// The files a headless run writes at its end (the screenshot, the memory dumps, the
// snapshot and the sound): each is checked before the machine starts and written whole or
// not at all.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "apps/headless_runner.h"

namespace apps {

enum class OutputKind { kScreenshot, kRam, kIo, kSnapshot, kAudio };

struct OutputFile {
  OutputKind kind;
  std::string option;  // as the user gave it, "--dump-ram"
  std::string path;
};

// The files the options ask for, in the order they are written.
std::vector<OutputFile> RequestedOutputFiles(const HeadlessOptions& options);

// Empty when every file can be written; otherwise the usage error for the first that
// cannot, naming its option: no name, a folder, a missing folder, a FIFO or device, or
// a file that another output writes too (however either path is spelled).
std::string OutputFilesProblem(const std::vector<OutputFile>& files);

// Writes one file whole; on failure says on `err` which file and why and returns false
// (a file already at the path is left as it was).
bool WriteOutputFile(const OutputFile& file, std::span<const std::uint8_t> bytes,
                     std::ostream& err);
// The message for a file that could not be made: "Cannot write PATH (OPTION): reason".
void ReportUnwritten(const OutputFile& file, const std::string& reason, std::ostream& err);

}  // namespace apps
