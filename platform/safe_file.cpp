#include "platform/safe_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <future>
#include <string>

namespace codeburg {

namespace {

constexpr size_t kReserveFrom = size_t{1} << 20;
// Room for the temporary's suffix within the 255 bytes a file name may have.
constexpr size_t kTemporaryBaseLength = 200;

bool SetError(std::string* error, std::string text)
{
    if (error) *error = std::move(text);
    return false;
}

bool SetSystemError(std::string* error, int code)
{
    return SetError(error, std::strerror(code));
}

std::string DirectoryOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// ".NAME.tmp": what every temporary beside NAME begins with; the writer's
// process id and a counter follow.
std::string TemporaryPrefix(const std::string& target)
{
    const size_t slash = target.rfind('/');
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    return "." + name.substr(0, kTemporaryBaseLength) + ".tmp";
}

// The process id in "PID.COUNTER", or 0 when the rest is not of that form.
pid_t WriterOf(std::string_view rest)
{
    const size_t dot = rest.find('.');
    if (dot == 0 || dot == std::string_view::npos || dot + 1 == rest.size()) return 0;
    for (size_t i = 0; i < rest.size(); ++i)
        if (i != dot && (rest[i] < '0' || rest[i] > '9')) return 0;
    const long pid = std::strtol(std::string(rest.substr(0, dot)).c_str(), nullptr, 10);
    return pid > 0 && pid <= 0x3fffffff ? static_cast<pid_t>(pid) : 0;
}

// A save killed before its rename leaves its temporary, as large as the file
// itself. Those whose writer is gone are removed; a live writer's, or one we
// cannot tell about, stays.
void RemoveStaleTemporaries(const std::string& target)
{
    const std::string dir = DirectoryOf(target);
    const std::string prefix = TemporaryPrefix(target);
    DIR* stream = opendir(dir.c_str());
    if (!stream) return;
    const int dirFd = dirfd(stream);
    const pid_t self = getpid();
    while (const dirent* e = readdir(stream)) {
        const std::string_view name(e->d_name);
        if (!name.starts_with(prefix)) continue;
        const pid_t writer = WriterOf(name.substr(prefix.size()));
        if (writer == 0 || writer == self) continue;
        if (kill(writer, 0) == 0 || errno != ESRCH) continue;
        struct stat st;
        if (fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            unlinkat(dirFd, e->d_name, 0);
    }
    closedir(stream);
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

// Puts the temporary in place without ever replacing a file that exists by
// then. Where the file system cannot rename that way, a hard link does it.
int RenameNoReplace(const std::string& from, const std::string& to)
{
#if defined(RENAME_NOREPLACE)
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
#endif
    if (link(from.c_str(), to.c_str()) != 0) return -1;
    unlink(from.c_str());
    return 0;
}

int OpenChecked(int directory, const std::string& name, uint64_t maxBytes, uint64_t& size,
                std::string* error)
{
    // Looked at before opening: opening a device can have effects of its own.
    struct stat st;
    if (fstatat(directory, name.c_str(), &st, 0) != 0) return SetSystemError(error, errno), -1;
    if (std::string why = NotRegularReason(st.st_mode); !why.empty())
        return SetError(error, why), -1;
    const int fd = openat(directory, name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return SetSystemError(error, errno), -1;
    if (fstat(fd, &st) != 0) {
        const int code = errno;
        close(fd);
        return SetSystemError(error, code), -1;
    }
    if (!S_ISREG(st.st_mode)) {
        close(fd);
        return SetError(error, NotRegularReason(st.st_mode)), -1;
    }
    if (st.st_size < 0 || static_cast<uint64_t>(st.st_size) > maxBytes) {
        close(fd);
        return SetError(error, "file too large (" + std::to_string(st.st_size) +
                                   " bytes, at most " + std::to_string(maxBytes) + ")"),
               -1;
    }
    size = static_cast<uint64_t>(st.st_size);
    return fd;
}

}  // namespace

std::string NotRegularReason(unsigned mode)
{
    if (S_ISREG(mode)) return {};
    if (S_ISDIR(mode)) return "it is a directory";
    if (S_ISLNK(mode)) return "it is a symbolic link";
    if (S_ISFIFO(mode)) return "it is a FIFO";
    if (S_ISSOCK(mode)) return "it is a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device";
    return "it is not a regular file";
}

int OpenRegularFile(const std::string& path, uint64_t maxBytes, uint64_t& size, std::string* error)
{
    if (path.empty()) return SetSystemError(error, ENOENT), -1;
    return OpenChecked(AT_FDCWD, path, maxBytes, size, error);
}

int OpenRegularFileAt(int directory, const std::string& name, uint64_t maxBytes, uint64_t& size,
                      std::string* error)
{
    if (name.empty()) return SetSystemError(error, ENOENT), -1;
    return OpenChecked(directory, name, maxBytes, size, error);
}

int ReadRegularFile(const std::string& path, uint64_t maxBytes, std::string& bytes,
                    std::string* error)
{
    uint64_t size = 0;
    const int fd = OpenRegularFile(path, maxBytes, size, error);
    if (fd < 0) return -1;
    std::string content;
    try {
        content.resize(static_cast<size_t>(size));
    } catch (const std::exception&) {
        close(fd);
        return SetSystemError(error, ENOMEM), -1;
    }
    // A file that shrinks meanwhile is read as far as it goes; one that grows,
    // at the size it had when opened.
    size_t total = 0;
    while (total < content.size()) {
        const ssize_t n = read(fd, content.data() + total, content.size() - total);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int code = errno;
            close(fd);
            return SetSystemError(error, code), -1;
        }
        if (n == 0) break;
        total += static_cast<size_t>(n);
    }
    close(fd);
    content.resize(total);
    bytes = std::move(content);
    return 0;
}

StagedFile::~StagedFile()
{
    Discard();
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : m_fd(other.m_fd),
      m_target(std::move(other.m_target)),
      m_temporary(std::move(other.m_temporary)),
      m_mode(other.m_mode)
{
    other.m_fd = -1;
    other.m_temporary.clear();
}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept
{
    if (this != &other) {
        Discard();
        m_fd = other.m_fd;
        m_target = std::move(other.m_target);
        m_temporary = std::move(other.m_temporary);
        m_mode = other.m_mode;
        other.m_fd = -1;
        other.m_temporary.clear();
    }
    return *this;
}

int StagedFile::Create(const std::string& target, std::string* error, Mode mode)
{
    Discard();
    if (target.empty() || target.back() == '/') return SetSystemError(error, EISDIR), -1;
    struct stat old;
    const bool exists = lstat(target.c_str(), &old) == 0;
    if (exists && mode == Mode::CreateOnly) return SetError(error, "it already exists"), -1;
    if (exists && !S_ISREG(old.st_mode)) return SetError(error, NotRegularReason(old.st_mode)), -1;
    if (!exists && errno != ENOENT) return SetSystemError(error, errno), -1;

    RemoveStaleTemporaries(target);
    static std::atomic<unsigned> counter{0};
    const std::string base = DirectoryOf(target) + "/" + TemporaryPrefix(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporary =
            base + std::to_string(getpid()) + "." + std::to_string(counter.fetch_add(1));
        // O_EXCL: never write into somebody else's file, nor through a link.
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return SetSystemError(error, errno), -1;
        m_fd = fd;
        m_temporary = std::move(temporary);
        m_target = target;
        m_mode = mode;
        if (exists)
            fchmod(fd, old.st_mode & 07777);  // best effort: a foreign owner's file may refuse
        return 0;
    }
    return SetSystemError(error, EEXIST), -1;
}

int StagedFile::Write(const void* data, size_t size, std::string* error)
{
    if (m_fd < 0) return SetSystemError(error, EBADF), -1;
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(m_fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return SetSystemError(error, errno), -1;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

int StagedFile::Finish(std::string* error)
{
    if (m_fd < 0) return m_temporary.empty() ? (SetSystemError(error, EBADF), -1) : 0;
    int code = fsync(m_fd) == 0 ? 0 : errno;
    if (close(m_fd) != 0 && code == 0) code = errno;
    m_fd = -1;
    if (code == 0) return 0;
    SetSystemError(error, code);
    Discard();
    return -1;
}

int StagedFile::Commit(std::string* error)
{
    if (m_temporary.empty()) return SetSystemError(error, EBADF), -1;
    if (Finish(error) != 0) return -1;
    const int result = m_mode == Mode::CreateOnly ? RenameNoReplace(m_temporary, m_target)
                                                  : rename(m_temporary.c_str(), m_target.c_str());
    if (result != 0) {
        const int code = errno;
        Discard();
        if (code == EEXIST) return SetError(error, "it already exists"), -1;
        return SetSystemError(error, code), -1;
    }
    m_temporary.clear();
    if (!SyncDirectory(DirectoryOf(m_target))) return SetSystemError(error, errno), -1;
    return 0;
}

void StagedFile::Discard()
{
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty()) unlink(m_temporary.c_str());
    m_temporary.clear();
}

namespace {

// Writes the pieces one after the other. "pipelined" starts the flush of
// each piece at once and waits for the one before, so the disk works while
// the next piece is written and the final flush finds little left.
int WritePieces(StagedFile& file, std::span<const BytePiece> pieces, bool pipelined,
                std::string* error)
{
    off_t written = 0, previous = 0;
    for (const BytePiece& piece : pieces) {
        if (file.Write(piece.data, piece.size, error) != 0) return -1;
#if defined(__linux__)
        if (pipelined) {
            sync_file_range(file.fd(), written, off_t(piece.size), SYNC_FILE_RANGE_WRITE);
            if (written > previous)
                sync_file_range(file.fd(), previous, written - previous,
                                SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                    SYNC_FILE_RANGE_WAIT_AFTER);
            previous = written;
        }
#endif
        written += off_t(piece.size);
    }
    return 0;
}

int WriteStaged(const std::string& path, std::span<const BytePiece> pieces,
                const std::function<void()>& keepAlive, std::string* error, StagedFile::Mode mode)
{
    if (path.empty()) return SetSystemError(error, ENOENT), -1;
    for (const BytePiece& piece : pieces) {
        if (piece.data == nullptr && piece.size != 0) return SetSystemError(error, EFAULT), -1;
    }
    StagedFile file;
    if (file.Create(path, error, mode) != 0) return -1;
#if defined(__linux__)
    // Reserving the blocks at once spares the file system finding them page
    // by page while a large file is written; where it cannot, writing finds
    // them as usual, and a full disk shows in the writes.
    size_t total = 0;
    for (const BytePiece& piece : pieces) total += piece.size;
    if (total >= kReserveFrom) (void)fallocate(file.fd(), 0, 0, off_t(total));
#endif
    // With a callback the writing goes on a thread of its own and the caller
    // is called back every few milliseconds meanwhile: a single write can
    // wait a tenth of a second on a busy disk, the final flush and dropping a
    // large old file in the rename a good part of a second.
    const bool stepwise = bool(keepAlive);
    std::string reason;
    auto writeAll = [&file, pieces, stepwise, &reason]() {
        if (WritePieces(file, pieces, stepwise, &reason) != 0) return -1;
        return file.Commit(&reason);
    };
    int result;
    if (!stepwise) {
        result = writeAll();
    } else {
        std::future<int> pending;
        try {
            pending = std::async(std::launch::async, writeAll);
        } catch (const std::exception&) {
            pending = {};  // no thread to spare: write here
        }
        if (!pending.valid()) {
            keepAlive();
            result = writeAll();
        } else {
            do {
                keepAlive();
            } while (pending.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready);
            result = pending.get();
        }
    }
    if (result != 0) SetError(error, reason);
    return result;
}

}  // namespace

int WriteFileAtomically(const std::string& path, std::span<const BytePiece> pieces,
                        const std::function<void()>& keepAlive, std::string* error)
{
    return WriteStaged(path, pieces, keepAlive, error, StagedFile::Mode::Replace);
}

int WriteFileAtomically(const std::string& path, const void* data, size_t size, std::string* error)
{
    const BytePiece piece{data, size};
    return WriteFileAtomically(path, std::span(&piece, 1), {}, error);
}

int WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error)
{
    return WriteFileAtomically(path, bytes.data(), bytes.size(), error);
}

int CreateFileAtomically(const std::string& path, std::string_view bytes, std::string* error)
{
    const BytePiece piece{bytes.data(), bytes.size()};
    return WriteStaged(path, std::span(&piece, 1), {}, error, StagedFile::Mode::CreateOnly);
}

int OpenForAppending(const std::string& path, std::string* error)
{
    if (path.empty()) return SetSystemError(error, ENOENT), -1;
    struct stat old;
    if (lstat(path.c_str(), &old) == 0 && !S_ISREG(old.st_mode))
        return SetError(error, NotRegularReason(old.st_mode)), -1;
    // O_NOFOLLOW refuses a link put there meanwhile; O_NONBLOCK keeps a FIFO
    // from hanging the open, and the check after it refuses it.
    const int fd =
        open(path.c_str(),
             O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        const int code = errno;
        struct stat st;
        if (code == ELOOP && lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            return SetError(error, "it is a symbolic link"), -1;
        return SetSystemError(error, code), -1;
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        const int code = errno;
        close(fd);
        return SetSystemError(error, code), -1;
    }
    if (!S_ISREG(st.st_mode)) {
        close(fd);
        return SetError(error, NotRegularReason(st.st_mode)), -1;
    }
    return fd;
}

}  // namespace codeburg
