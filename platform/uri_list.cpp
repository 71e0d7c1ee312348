// Reading a text/uri-list (RFC 2483): CRLF-separated lines, '#' comments, one URI a line.
#include "platform/uri_list.h"

namespace platform {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::string> LocalFileOfUriList(std::string_view uriList) {
  std::optional<std::string_view> uri;
  while (!uriList.empty()) {
    const std::size_t end = uriList.find('\n');
    std::string_view line = uriList.substr(0, end);
    uriList = end == std::string_view::npos ? std::string_view() : uriList.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty() || line.starts_with('#')) continue;
    if (uri) return std::nullopt;  // several files
    uri = line;
  }
  constexpr std::string_view kScheme = "file://";
  if (!uri || !uri->starts_with(kScheme)) return std::nullopt;
  std::string_view rest = uri->substr(kScheme.size());
  if (rest.starts_with("localhost/")) rest.remove_prefix(9);
  if (!rest.starts_with('/')) return std::nullopt;  // another host's file
  std::string path;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    char c = rest[i];
    if (c == '%') {
      const int high = i + 2 < rest.size() ? HexValue(rest[i + 1]) : -1;
      const int low = high >= 0 ? HexValue(rest[i + 2]) : -1;
      if (low < 0) return std::nullopt;
      c = static_cast<char>(high * 16 + low);
      i += 2;
    }
    if (c == '\0') return std::nullopt;
    path += c;
  }
  return path;
}

}  // namespace platform
