#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace codeburg {

// An exclusive lock on an existing file, held from Lock until the object goes
// (or its process ends, however it ends: the system drops the lock then).
// Programs that change the file hold it for their whole read, change and
// write, so none of them loses another's change. A writer replaces the file
// by renaming a new one over it; a lock on the old file would then guard
// nothing, so Lock makes sure it holds the file the name refers to now.
class FileLock {
public:
    enum class Wait { Yes, No };

    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // 0 when locked. With Wait::No, -1 at once when another program holds
    // the lock, with "error" set to "it is locked by another program"; with
    // Wait::Yes, "onWaiting" (when set) is called once after a second of
    // waiting, and the wait goes on. -1 with the system's reason when the
    // file cannot be opened (ENOENT, for one, is left in "code").
    int Lock(const std::string& path, Wait wait, const std::function<void()>& onWaiting,
             std::string* error, int* code = nullptr);
    void Unlock();
    bool locked() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// What tells one version of a file from the next: the file the name refers
// to (a save by rename makes a new one), its size and its last change. A
// program holding a file's content compares it before saving, to notice that
// somebody else changed the file meanwhile.
struct FileVersion {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedNs = 0;
    bool operator==(const FileVersion&) const = default;
};
// Nothing when the name refers to no file.
std::optional<FileVersion> VersionOf(const std::string& path);

}  // namespace codeburg
