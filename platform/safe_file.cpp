#include "platform/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <exception>
#include <future>
#include <string>

namespace codeburg {

namespace {

constexpr size_t kReserveFrom = size_t{1} << 20;

// The file the name finally refers to: a settings file kept as a link into a
// dotfiles folder must stay a link.
std::string ResolveTarget(const std::string& path)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr) return path;  // dangling: replace the link
    return resolved;
}

std::string DirectoryOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Creates a fresh file beside "target"; O_EXCL keeps us from ever writing into
// somebody else's file, and mode 0666 lets the umask decide for a new file.
int CreateTemporary(const std::string& target, std::string& tempPath)
{
    static std::atomic<unsigned> counter{0};
    const std::string dir = DirectoryOf(target);
    const size_t slash = target.rfind('/');
    // Shortened so that a name near the 255-byte limit still leaves room for the suffix.
    const std::string base =
        (slash == std::string::npos ? target : target.substr(slash + 1)).substr(0, 200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = dir + "/." + base + ".tmp" + std::to_string(getpid()) + "." +
                   std::to_string(counter.fetch_add(1));
        const int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Writes the pieces one after the other. "pipelined" starts the flush of
// each piece at once and waits for the one before, so the disk works while
// the next piece is written and the final flush finds little left.
bool WritePieces(int fd, std::span<const BytePiece> pieces, bool pipelined)
{
    off_t written = 0, previous = 0;
    for (const BytePiece& piece : pieces) {
        if (!WriteAll(fd, static_cast<const char*>(piece.data), piece.size)) return false;
#if defined(__linux__)
        if (pipelined) {
            sync_file_range(fd, written, off_t(piece.size), SYNC_FILE_RANGE_WRITE);
            if (written > previous)
                sync_file_range(fd, previous, written - previous,
                                SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                    SYNC_FILE_RANGE_WAIT_AFTER);
            previous = written;
        }
#endif
        written += off_t(piece.size);
    }
    return true;
}

bool SyncDirectory(const std::string& dir)
{
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    // Some file systems cannot sync a directory at all; the rename is then as
    // durable as they make it.
    const bool ok = fsync(fd) == 0 || errno == EINVAL;
    close(fd);
    return ok;
}

}  // namespace

int WriteFileAtomically(const std::string& path, std::span<const BytePiece> pieces,
                        const std::function<void()>& keepAlive)
{
    if (path.empty()) return -1;
    for (const BytePiece& piece : pieces) {
        if (piece.data == nullptr && piece.size != 0) return -1;
    }
    const std::string target = ResolveTarget(path);

    std::string tempPath;
    const int fd = CreateTemporary(target, tempPath);
    if (fd < 0) return -1;

    bool ok = true;
    struct stat old;
    if (stat(target.c_str(), &old) == 0) {
        if (!S_ISREG(old.st_mode))
            ok = false;  // never replace a folder or a device
        else
            fchmod(fd, old.st_mode & 07777);  // best effort: a foreign owner's file may refuse
    }
#if defined(__linux__)
    // Reserving the blocks at once spares the file system finding them page
    // by page while a large file is written; where it cannot, writing finds
    // them as usual, and a full disk shows in the writes.
    size_t total = 0;
    for (const BytePiece& piece : pieces) total += piece.size;
    if (ok && total >= kReserveFrom) (void)fallocate(fd, 0, 0, off_t(total));
#endif
    // With a callback the writing goes on a thread of its own and the caller
    // is called back every few milliseconds meanwhile: a single write can
    // wait a tenth of a second on a busy disk, the final flush and dropping a
    // large old file in the rename a good part of a second.
    const bool stepwise = bool(keepAlive);
    auto writeAll = [fd, ok, pieces, stepwise, tempPath, target]() {
        bool done = ok && WritePieces(fd, pieces, stepwise) && fsync(fd) == 0;
        done = (close(fd) == 0) && done;
        if (done) done = rename(tempPath.c_str(), target.c_str()) == 0;
        if (!done) {
            unlink(tempPath.c_str());
            return -1;
        }
        return SyncDirectory(DirectoryOf(target)) ? 0 : -1;
    };
    if (!stepwise) return writeAll();
    std::future<int> result;
    try {
        result = std::async(std::launch::async, writeAll);
    } catch (
        const std::exception&) {  // no thread to spare: write here, calling back between pieces
        keepAlive();
        return writeAll();
    }
    do {
        keepAlive();
    } while (result.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready);
    return result.get();
}

int WriteFileAtomically(const std::string& path, const void* data, size_t size)
{
    const BytePiece piece{data, size};
    return WriteFileAtomically(path, std::span(&piece, 1));
}

int WriteFileAtomically(const std::string& path, std::string_view bytes)
{
    return WriteFileAtomically(path, bytes.data(), bytes.size());
}

}  // namespace codeburg
