#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace codeburg {

// Replaces the file at "path" with "size" bytes so that, whatever happens
// (a crash, a kill, a full disk), the name holds either the complete old
// content or the complete new one, never a part. The bytes go to a temporary
// file in the same folder, which is flushed to disk and then renamed over the
// old file; the folder is flushed too so the rename survives a power cut.
// An existing file keeps its permission bits; a symbolic link is followed, so
// its target is replaced, not the link. Returns 0 on success, -1 on failure,
// in which case the old file is untouched and no temporary file is left.
int WriteFileAtomically(const std::string& path, const void* data, size_t size);
int WriteFileAtomically(const std::string& path, std::string_view bytes);

// The same for content held in several places, written one piece after the
// other, so that a large block need not be copied into one buffer first.
// "keepAlive", when set, is called on the calling thread at least once and
// then every few milliseconds while the file is written on a thread of its
// own, so that a window stays responsive however slow the disk.
struct BytePiece {
    const void* data;
    size_t size;
};
int WriteFileAtomically(const std::string& path, std::span<const BytePiece> pieces,
                        const std::function<void()>& keepAlive = {});

}  // namespace codeburg
