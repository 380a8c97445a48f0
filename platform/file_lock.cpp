#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace codeburg {

namespace {

constexpr auto kQuietWait = std::chrono::seconds(1);
constexpr auto kPoll = std::chrono::milliseconds(20);

int Fail(std::string* error, int* code, int value)
{
    if (error) *error = std::strerror(value);
    if (code) *code = value;
    return -1;
}

// Whether the name still refers to the file open as "fd".
bool StillNamed(int fd, const std::string& path)
{
    struct stat open, named;
    return fstat(fd, &open) == 0 && stat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

}  // namespace

FileLock::~FileLock()
{
    Unlock();
}

void FileLock::Unlock()
{
    if (m_fd >= 0) close(m_fd);  // closing the last descriptor drops the lock
    m_fd = -1;
}

int FileLock::Lock(const std::string& path, Wait wait, const std::function<void()>& onWaiting,
                   std::string* error, int* code)
{
    Unlock();
    if (code) *code = 0;
    const auto start = std::chrono::steady_clock::now();
    bool told = false;
    for (;;) {
        // Non-blocking, so that a FIFO under the name cannot hang the open.
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd < 0) return Fail(error, code, errno);
        int locked;
        while ((locked = flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EWOULDBLOCK) {
            if (wait == Wait::No) {
                close(fd);
                if (error) *error = "it is locked by another program";
                if (code) *code = EWOULDBLOCK;
                return -1;
            }
            if (!told && std::chrono::steady_clock::now() - start >= kQuietWait) {
                told = true;
                if (onWaiting) onWaiting();
            }
            std::this_thread::sleep_for(kPoll);
        }
        if (locked != 0 && errno != EINTR) {
            const int value = errno;
            close(fd);
            return Fail(error, code, value);
        }
        if (locked == 0 && StillNamed(fd, path)) {
            m_fd = fd;
            return 0;
        }
        // Replaced while we waited: lock what the name holds now.
        close(fd);
    }
}

std::optional<FileVersion> VersionOf(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileVersion{uint64_t(st.st_dev), uint64_t(st.st_ino), int64_t(st.st_size),
                       int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

}  // namespace codeburg
