// Checking and writing the headless runner's output files through the platform's writer.
#include "apps/output_files.h"

#include "platform/file_writer.h"

namespace apps {

std::vector<OutputFile> RequestedOutputFiles(const HeadlessOptions& options) {
  std::vector<OutputFile> files;
  if (!options.screenshot.empty()) {
    files.push_back({OutputKind::kScreenshot, "--screenshot", options.screenshot});
  }
  if (!options.dumpRam.empty()) files.push_back({OutputKind::kRam, "--dump-ram", options.dumpRam});
  if (!options.dumpIo.empty()) files.push_back({OutputKind::kIo, "--dump-io", options.dumpIo});
  if (!options.saveState.empty()) {
    files.push_back({OutputKind::kSnapshot, "--save-state", options.saveState});
  }
  if (!options.audio.empty()) files.push_back({OutputKind::kAudio, "--audio", options.audio});
  return files;
}

std::string OutputFilesProblem(const std::vector<OutputFile>& files) {
  std::vector<platform::FileIdentity> seen;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const OutputFile& file = files[i];
    const std::string prefix = file.option + ": ";
    const platform::OutputPathCheck check = platform::CheckOutputPath(file.path);
    switch (check.status) {
      case platform::OutputPathStatus::kWritable: break;
      case platform::OutputPathStatus::kEmpty: return prefix + "no file name given";
      case platform::OutputPathStatus::kFolder: return prefix + file.path + " names a folder";
      case platform::OutputPathStatus::kMissingFolder:
        return prefix + "the folder of " + file.path + " does not exist";
      case platform::OutputPathStatus::kNotRegularFile:
        return prefix + file.path + " is not a regular file";
    }
    for (std::size_t j = 0; j < seen.size(); ++j) {
      if (seen[j] == check.identity) {
        return prefix + file.path + " is the file that " + files[j].option + " writes (" +
               files[j].path + ")";
      }
    }
    seen.push_back(check.identity);
  }
  return "";
}

bool WriteOutputFile(const OutputFile& file, std::span<const std::uint8_t> bytes,
                     std::ostream& err) {
  std::string reason;
  if (platform::WriteWholeFile(file.path, bytes, reason)) return true;
  ReportUnwritten(file, reason, err);
  return false;
}

void ReportUnwritten(const OutputFile& file, const std::string& reason, std::ostream& err) {
  err << "Cannot write " << file.path << " (" << file.option << "): " << reason << "\n";
}

}  // namespace apps
