#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace codeburg {

// Every function here that can fail takes an optional "error", which then
// receives why, in words for a message that names the file: the system's own
// text ("No space left on device", "Permission denied") or one of ours ("it is
// a symbolic link", "it is a FIFO"). The file's name is the caller's to add.

// ---------------------------------------------------------------- reading

// Opens "path" for reading only when it is a regular file (a link to one is
// followed) of at most "maxBytes": folders, FIFOs, sockets and devices are
// refused without being opened, and the open itself never blocks, so a FIFO
// swapped in meanwhile cannot hang the caller either. Returns the descriptor,
// which the caller closes, and sets "size"; -1 on failure.
int OpenRegularFile(const std::string& path, uint64_t maxBytes, uint64_t& size, std::string* error);
// The same for "name" inside the open folder "directory", so that a file deeper
// than any path may name can still be read.
int OpenRegularFileAt(int directory, const std::string& name, uint64_t maxBytes, uint64_t& size,
                      std::string* error);
// Reads such a file whole into "bytes". 0, or -1 with "bytes" unchanged.
int ReadRegularFile(const std::string& path, uint64_t maxBytes, std::string& bytes,
                    std::string* error);

// "it is a directory", "it is a FIFO", ... for a file mode that is not a
// regular file; empty for a regular file.
std::string NotRegularReason(unsigned mode);

// ---------------------------------------------------------------- writing

// A new file written beside "target" under a temporary name and put in place
// by Commit with one rename, so that the name holds the complete old content
// or the complete new one, whatever happens meanwhile (a crash, a kill, a full
// disk). A target that is a symbolic link, a folder or anything but a regular
// file is refused: nothing is ever written through a link. Temporaries left by
// writers that died before their rename are removed when the next file is
// staged beside the same target. An uncommitted temporary is removed when the
// object goes; the target is then untouched.
class StagedFile {
public:
    enum class Mode { Replace, CreateOnly };

    StagedFile() = default;
    ~StagedFile();
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&& other) noexcept;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Creates the temporary. An existing target lends it its permission bits;
    // a new one gets 0666 less the umask. With CreateOnly, Commit fails when
    // the name is taken by then. 0, or -1.
    int Create(const std::string& target, std::string* error, Mode mode = Mode::Replace);
    int fd() const { return m_fd; }
    const std::string& target() const { return m_target; }

    int Write(const void* data, size_t size, std::string* error);
    // Flushes the content to disk and closes the temporary. 0, or -1.
    int Finish(std::string* error);
    // Finishes if need be, renames the temporary over the target and flushes
    // the folder so the rename survives a power cut. 0, or -1 with the target
    // untouched and the temporary removed.
    int Commit(std::string* error);
    // Removes the temporary; the target stays as it was.
    void Discard();

private:
    int m_fd = -1;
    std::string m_target;
    std::string m_temporary;
    Mode m_mode = Mode::Replace;
};

// Replaces (or creates) the file at "path" with the bytes given, through a
// StagedFile. 0, or -1 with the old file untouched and no temporary left.
int WriteFileAtomically(const std::string& path, const void* data, size_t size,
                        std::string* error = nullptr);
int WriteFileAtomically(const std::string& path, std::string_view bytes,
                        std::string* error = nullptr);

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
                        const std::function<void()>& keepAlive = {}, std::string* error = nullptr);

// Creates a file that must not exist yet, with the same care: -1 ("it already
// exists") also when another program created it meanwhile.
int CreateFileAtomically(const std::string& path, std::string_view bytes,
                         std::string* error = nullptr);

// Opens a log for appending, creating it when missing, only when it is (or
// becomes) a regular file reached without a symbolic link. The descriptor,
// which the caller closes, or -1.
int OpenForAppending(const std::string& path, std::string* error);

}  // namespace codeburg
