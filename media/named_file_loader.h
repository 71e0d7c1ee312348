// The file the KERNAL's load routine asks for by name: from the mounted disk first, then
// from the host folder, loaded into RAM or compared with it for VERIFY.
#pragma once

#include "core/host_hooks.h"

namespace media {

// The run loop's loadNamedFile hook. For device 8 with a disk mounted, "$" is the disk's
// directory as a BASIC program and any other name the first closed PRG file it matches
// by the drive's rules; a name the disk does not have is looked for in the host folder
// (FindHostFile), as for every other device. Secondary address 0 puts the file at the
// request's load address, any other at the file's own. Nothing is written past $FFFF:
// such a file is refused. With `verify` memory is only compared. A name found nowhere,
// a damaged disk or directory ("$" too) and an unreadable file end as not found, with a
// box (none for a name of one character or none that is nowhere). Host files are the
// folder's own regular files: a symbolic link is never read, whatever it leads to.
core::NamedFileResult LoadNamedFile(const core::NamedFileRequest& request);

}  // namespace media
