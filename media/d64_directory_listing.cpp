// The directory listing program: the 1541's 32-byte lines, with the links BASIC would
// otherwise recompute after the load already correct for $0801.
#include "media/d64_directory_listing.h"

#include <array>
#include <span>
#include <string_view>

namespace media {

namespace {

constexpr std::uint16_t kListingAddress = 0x0801;
constexpr std::uint8_t kReverseOn = 0x12;
constexpr std::uint8_t kShiftedSpace = 0xA0;  // the padding of names on the disk
constexpr std::array<std::string_view, 8> kTypeNames = {"DEL", "SEQ", "PRG", "USR",
                                                        "REL", "???", "???", "???"};

// Appends BASIC lines to a program file whose data starts at kListingAddress.
class ListingWriter {
 public:
  ListingWriter() { Word(kListingAddress); }

  void BeginLine(std::uint16_t number) {
    lineStart_ = bytes_.size();
    Word(0);  // the link, set when the line ends
    Word(number);
  }
  void Byte(std::uint8_t byte) { bytes_.push_back(byte); }
  void Text(std::string_view text) { bytes_.insert(bytes_.end(), text.begin(), text.end()); }
  void Spaces(int count) { bytes_.insert(bytes_.end(), static_cast<std::size_t>(count), ' '); }
  // The name bytes with $A0 shown as spaces: outside the quotes LIST would print $A0 as
  // the keyword CLOSE.
  void Name(std::span<const std::uint8_t> name) {
    for (const std::uint8_t byte : name) Byte(byte == kShiftedSpace ? ' ' : byte);
  }
  void EndLine() {
    Byte(0);
    // The next line starts here. A directory too long for memory wraps, as on the machine
    // (the program parser refuses such a program).
    const auto next = static_cast<std::uint16_t>(kListingAddress + bytes_.size() - 2);
    bytes_[lineStart_] = static_cast<std::uint8_t>(next & 0xFF);
    bytes_[lineStart_ + 1] = static_cast<std::uint8_t>(next >> 8);
  }
  std::vector<std::uint8_t> Finish() {
    Word(0);  // a zero link ends the program
    return std::move(bytes_);
  }

 private:
  void Word(std::uint16_t word) {
    Byte(static_cast<std::uint8_t>(word & 0xFF));
    Byte(static_cast<std::uint8_t>(word >> 8));
  }

  std::vector<std::uint8_t> bytes_;
  std::size_t lineStart_ = 0;
};

// After the line number: padding (3, 2 or 1 spaces, so that LIST's own space after the
// number brings every quote to one column up to 999 blocks), the quoted name in 18
// columns, the unclosed mark, the type, the locked mark and trailing spaces to 32 bytes.
void EntryLine(ListingWriter& out, const D64DirectoryEntry& entry) {
  const int padding = entry.blocks < 10 ? 3 : entry.blocks < 100 ? 2 : 1;
  out.BeginLine(entry.blocks);
  out.Spaces(padding);
  out.Byte('"');
  const std::string_view name = entry.Name();
  out.Name({entry.name.data(), name.size()});
  out.Byte('"');
  if (name.size() < entry.name.size()) {
    // The closing quote stood in for the first $A0; what follows it shows after the quote.
    out.Name(std::span(entry.name).subspan(name.size() + 1));
    out.Spaces(1);
  }
  out.Byte(entry.closed() ? ' ' : '*');
  out.Text(kTypeNames[static_cast<std::size_t>(entry.type())]);
  out.Byte(entry.locked() ? '<' : ' ');
  out.Spaces(4 - padding);
  out.EndLine();
}

}  // namespace

std::vector<std::uint8_t> DirectoryListingProgram(const D64Directory& directory) {
  ListingWriter out;
  const D64Header& header = directory.header;
  out.BeginLine(0);
  out.Byte(kReverseOn);
  out.Byte('"');
  out.Name(header.name);
  out.Text("\" ");
  out.Name(header.id);
  out.Byte(' ');
  out.Name(header.dosType);
  out.EndLine();

  for (const D64DirectoryEntry& entry : directory.entries) EntryLine(out, entry);

  out.BeginLine(static_cast<std::uint16_t>(header.blocksFree));
  out.Text("BLOCKS FREE.");
  out.Spaces(13);
  out.EndLine();
  return out.Finish();
}

}  // namespace media
