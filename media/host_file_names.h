// Which host file a name from the emulated machine stands for. Such a name is a name in
// the current folder, never a path, and it is matched by the drive's rules.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace media {

// The name of the current folder's regular file that `name` stands for: the file of
// exactly that name, or else the first name in sorted (byte) order that matches it as a
// pattern (CbmNameMatches: `*`, `?`, a "0:" prefix); names starting with "." take part
// only when named exactly. Nothing for an empty name, a name with "/" or a NUL byte, and
// for "." and "..".
std::optional<std::string> FindHostFile(std::string_view name);

}  // namespace media
