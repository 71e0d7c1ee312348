// Which host file a name from the emulated machine stands for. Such a name is a name in
// the current folder, never a path, and it is matched by the drive's rules; only regular
// files that lie in the folder itself count, never a symbolic link (whatever it points to).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace media {

// Whether `name` may name a file of the current folder: not empty, no "/" or NUL byte,
// not "." or "..".
bool HostNameAllowed(std::string_view name);

// The current folder's regular files that are not symbolic links, sorted by their bytes
// (at most the first 100000 the folder lists).
std::vector<std::string> HostFolderFiles();

// The name of the current folder's regular file that `name` stands for: the file of
// exactly that name; else the first name in sorted (byte) order equal to it with letters
// of either case alike; else the first that matches it as a pattern (CbmNameMatches: `*`,
// `?`, a "0:" prefix), and then as a pattern with letters of either case alike. Names
// starting with "." take part only when named exactly. Nothing for a name that
// HostNameAllowed refuses, and never a symbolic link.
std::optional<std::string> FindHostFile(std::string_view name);

}  // namespace media
