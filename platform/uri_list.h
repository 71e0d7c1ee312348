// The text/uri-list of a file dragged from a file manager, as another program sends it:
// untrusted text, read for the one local file it names.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The one local file a text/uri-list names ("file:///path" or "file://localhost/path",
// %XX escapes decoded; comment lines skipped): nothing for other schemes, hosts, several
// files, bad escapes or a NUL.
std::optional<std::string> LocalFileOfUriList(std::string_view uriList);

}  // namespace platform
