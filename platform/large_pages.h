#pragma once

#include <cstddef>

namespace codeburg {

// Asks the system to back a large, not yet touched block of memory with large
// pages. A city of a big project takes hundreds of megabytes, and touching it
// page by page costs more than laying it out. Does nothing where unsupported.
void AdviseLargePages(void* data, size_t bytes);

}  // namespace codeburg
