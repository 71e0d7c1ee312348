// The load trap's two sources, the mounted disk image and the host folder, and the one
// way a found file goes into memory.
#include "media/named_file_loader.h"

#include <optional>
#include <string>
#include <vector>

#include "core/escaped_text.h"
#include "core/machine.h"
#include "media/d64_directory_listing.h"
#include "media/d64_image.h"
#include "media/host_file_names.h"
#include "media/host_folder.h"
#include "media/prg_loader.h"
#include "media/program_file.h"
#include "platform/host_services.h"

namespace media {

namespace {

constexpr std::uint8_t kDiskDevice = 8;
// Two address bytes and data up to $FFFF from $0000: anything longer loads nowhere.
constexpr std::size_t kMaxProgramBytes = 2 + 0x10000;

using core::NamedFileOutcome;
using core::NamedFileRequest;
using core::NamedFileResult;

// A found file's bytes into RAM at `loadAt` (its own address when none), or compared
// with the memory there.
NamedFileResult Place(const NamedFileRequest& request, std::span<const std::uint8_t> file,
                      std::optional<std::uint16_t> loadAt, const std::string& shownName) {
  const ProgramFile program = ParseProgramFile(file, loadAt);
  if (!program.ok()) {
    platform::ShowMessageBox("No readable PRG file: " + shownName, "Error");
    return {};
  }
  const bool same = PlaceProgram(program, core::C64.memory.ram, request.verify);
  NamedFileResult result;
  result.outcome = !request.verify ? NamedFileOutcome::kLoaded
                   : same          ? NamedFileOutcome::kVerified
                                   : NamedFileOutcome::kDifferent;
  result.end = static_cast<std::uint16_t>(program.endAddress());  // $10000 wraps to $0000
  return result;
}

// The mounted disk's answer: the file's bytes, or nothing when the disk has no such name
// (the host folder is asked next). A damaged disk is reported and ends the search.
struct DiskAnswer {
  std::optional<std::vector<std::uint8_t>> file;
  bool searchOn = true;
};

DiskAnswer ReadFromDisk(const D64Disk& disk, std::string_view name) {
  if (name == "$") {
    // A damaged directory ends the listing as damage ends a file: reported, nothing loaded.
    const D64Directory directory = ReadD64Directory(disk);
    if (directory.ok()) return {DirectoryListingProgram(directory), false};
    platform::ShowMessageBox("Disk error: " + core::EscapedText(directory.error), "Error");
    return {std::nullopt, false};
  }
  D64File found = ReadD64Program(disk, name);
  if (found.ok()) return {std::move(found.bytes), false};
  if (found.fault == D64Fault::kFileNotFound) return {};
  platform::ShowMessageBox("Disk error: " + core::EscapedText(found.error), "Error");
  return {std::nullopt, false};
}

}  // namespace

NamedFileResult LoadNamedFile(const NamedFileRequest& request) {
  const std::string shownName = core::EscapedText(request.name);
  if (request.device == kDiskDevice) {
    if (const std::optional<D64Disk> disk = MountedD64()) {
      const DiskAnswer answer = ReadFromDisk(*disk, request.name);
      // As the drive and the KERNAL do: secondary address 0 loads at BASIC's start (the
      // address LOAD was given), 1 at the file's own address.
      std::optional<std::uint16_t> loadAt;
      if (request.secondaryAddress == 0) loadAt = request.loadAddress;
      if (answer.file) return Place(request, *answer.file, loadAt, shownName);
      if (!answer.searchOn) return {};
    }
  }
  const std::optional<std::string> hostName = FindHostFile(request.name);
  if (!hostName && request.device == kDiskDevice && request.name == "$") {
    // No disk, no file of that name: the host folder is the disk, and "$" its directory,
    // loaded as the drive lists it.
    std::optional<std::uint16_t> loadAt;
    if (request.secondaryAddress == 0) loadAt = request.loadAddress;
    return Place(request, HostFolderListing({}), loadAt, shownName);
  }
  if (!hostName) {
    if (request.name.size() > 1) platform::ShowMessageBox("File not found: " + shownName, "Error");
    return {};
  }
  // Read without following a link: a link put in the file's place since the search is
  // refused, as the search refuses links.
  const HostFile file = ReadHostFile(*hostName, kMaxProgramBytes);
  const std::string shownHostName = core::EscapedText(*hostName);
  if (file.status == HostFileStatus::kNotFound) {
    platform::ShowMessageBox("File not found: " + shownHostName, "Error");
    return {};
  }
  if (file.status != HostFileStatus::kRead || file.size > kMaxProgramBytes) {
    platform::ShowMessageBox("No readable PRG file: " + shownHostName, "Error");
    return {};
  }
  // A host file is a program file like one opened from the menu: it loads at its own
  // address, whatever the secondary address.
  return Place(request, file.bytes, std::nullopt, shownHostName);
}

}  // namespace media
