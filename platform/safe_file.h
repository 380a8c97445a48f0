#pragma once
// TEMPORARY stand-in until the safe file writer lands in main.
#include <cstddef>
#include <string>
namespace codeburg {
int WriteFileAtomically(const std::string& path, const void* data, size_t size);
}  // namespace codeburg
