#pragma once
// Moving a finished picture to its final name without ever replacing what is there.
// Internal to the picture writer; declared here so the tests can drive each way of doing
// it, including the fallbacks that only some file systems need.
#include <string>

namespace vexo::imaging {

// The ways of moving a file into place, best first. A file system that refuses one gets
// the next: renameat2 with RENAME_NOREPLACE (refused by some network and FUSE file
// systems), a hard link plus removal of the old name (refused where hard links are not
// supported), and last a name reserved with O_EXCL that the rename then replaces.
enum class Placement { Rename, Link, Reserve };

// Moves the file at from to the name to unless anything (even a dangling symbolic link)
// has that name. Returns kImagingOk (from is gone), kImagingFileExists (nothing touched;
// from is still there for the caller to remove) or kImagingFileRenameFailed. first picks
// the way to begin with.
int placeWithoutReplacing(const std::string& from, const std::string& to,
                          Placement first = Placement::Rename);

}  // namespace vexo::imaging
