// libFuzzer target: any bytes as the text/uri-list of a file dropped on the display window.
// A path read from it is absolute and holds no NUL byte, and a list that names a path
// names it again when that path is written back as a URI.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "platform/uri_list.h"

namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "check failed: %s\n", what);
  std::abort();
}

// The path as a file:// URI with every byte outside the unreserved set escaped.
std::string AsUri(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '/' || (byte < 0x80 && std::isalnum(byte)) || c == '-' || c == '.' || c == '_') {
      uri += c;
    } else {
      uri += '%';
      uri += kHex[byte >> 4];
      uri += kHex[byte & 15];
    }
  }
  return uri + "\r\n";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view list(reinterpret_cast<const char*>(data), size);
  const std::optional<std::string> path = platform::LocalFileOfUriList(list);
  if (!path) return 0;
  Check(!path->empty() && path->front() == '/', "the path is absolute");
  Check(path->find('\0') == std::string::npos, "no NUL in the path");
  Check(platform::LocalFileOfUriList(AsUri(*path)) == path, "the path round-trips as a URI");
  return 0;
}
