#pragma once

// A disk that fills up, for tests of failing saves, without any library
// preloaded into the program under test. Where the test may mount file
// systems, a folder becomes a tiny tmpfs in a mount namespace of the test's
// own (it vanishes with the test process, and child processes see it too).
// Elsewhere, the writing process gets a file size limit instead, which makes
// writes past it fail alike (with "File too large" instead of "No space
// left on device").
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include <string>

namespace codeburg::testing {

// The size at which writes fail, in bytes.
inline constexpr unsigned long kFullDiskBytes = 64 * 1024;

// Mounts a tmpfs of kFullDiskBytes on the existing, empty folder "dir",
// read-only when asked (the administrator writes into any folder, but not
// into a read-only file system). False when this process may not mount.
inline bool MountSmallDisk(const std::string& dir, bool readOnly = false)
{
    static bool ownNamespace = false;
    if (!ownNamespace) {
        if (::unshare(CLONE_NEWNS) != 0) return false;
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
        ownNamespace = true;
    }
    const std::string options = "size=" + std::to_string(kFullDiskBytes);
    return ::mount("tmpfs", dir.c_str(), "tmpfs", readOnly ? MS_RDONLY : 0, options.c_str()) == 0;
}

inline void UnmountSmallDisk(const std::string& dir)
{
    ::umount2(dir.c_str(), MNT_DETACH);
}

// For a child process (after fork, before exec or the work): writes past
// kFullDiskBytes fail from now on instead of ending the process.
inline void LimitFileSizeInChild()
{
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{kFullDiskBytes, kFullDiskBytes};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

}  // namespace codeburg::testing
