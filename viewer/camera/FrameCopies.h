#pragma once
// Private copies of the frames that serve picture requests. The acquisition thread
// keeps writing its working buffer while a picture waits in the GUI thread's queue (or
// behind a folder dialog), so the picture gets pixels of its own. A copy belongs to the
// object the thread reports to (the camera window) until that object takes it; copies
// whose delivery was dropped are released with discard() or at exit.
#include <cstddef>
#include <memory>

#include "VexoCameraRecords.h"

namespace framecopies {

// Copies bytes from pixels and returns the copy's address, owned by owner.
BYTE* store(const void* owner, const BYTE* pixels, std::size_t bytes);
// Hands the copy at address over to the caller; null when owner holds no such copy.
std::unique_ptr<BYTE[]> take(const void* owner, const BYTE* address);
// Frees every copy owner still holds.
void discard(const void* owner);
// Number of copies owner holds.
int count(const void* owner);

}  // namespace framecopies
