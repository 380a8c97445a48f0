#include "workspace/workspace_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>

#include "platform/path_util.h"
#include "platform/safe_file.h"
#include "workspace/workspace.h"

namespace codeburg {

namespace {

// Workspace files are small text; anything this large is not one.
constexpr uint64_t kMaxFileSize = 256u * 1024 * 1024;

void SetMessage(std::string* message, std::string text)
{
    if (message) *message = std::move(text);
}

}  // namespace

std::string BackupPath(const std::string& path)
{
    // Only a "." in the file name counts: one in a directory name would put
    // the backup somewhere else entirely.
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + ".bak";
    return path.substr(0, dot + 1) + "bak";
}

bool WriteBackupCopy(const std::string& path)
{
    const std::string backup = BackupPath(path);
    if (backup == path) return false;
    // The name may be taken by a file of the user's: only an earlier backup,
    // itself a workspace, is replaced, and never anything through a link or
    // but a regular file (which the atomic write refuses as well).
    struct stat st;
    if (lstat(backup.c_str(), &st) == 0) {
        std::string old;
        if (!S_ISREG(st.st_mode) || ReadRegularFile(backup, kMaxFileSize, old, nullptr) != 0 ||
            ToLowerAscii(old).find("<workspace") == std::string::npos)
            return false;
    } else if (errno != ENOENT) {
        return false;
    }
    std::string bytes;
    if (ReadRegularFile(path, kMaxFileSize, bytes, nullptr) != 0) return false;
    return WriteFileAtomically(backup, bytes) == 0;
}

int LoadWorkspaceFile(Workspace& workspace, const std::string& path, std::string* message)
{
    SetMessage(message, {});
    // Only a regular file of a sane size: a FIFO would hang the reading and a
    // device would never end.
    std::string bytes, reason;
    if (ReadRegularFile(path, kMaxFileSize, bytes, &reason) != 0) {
        SetMessage(message, "cannot read workspace file " + path + ": " + reason);
        return -1;
    }
    const int result = workspace.Read(bytes);
    const std::string where = " at byte " + std::to_string(workspace.StopOffset());
    if (result == 1)
        SetMessage(message, "syntax error in workspace file " + path + where);
    else if (result == 2)
        SetMessage(message,
                   "element without a leading name attribute in workspace file " + path + where);
    else if (result == 3)
        SetMessage(message, "reading of workspace file " + path + " was stopped" + where);
    else if (workspace.Incomplete())
        SetMessage(message, "workspace file " + path +
                                " was read only in part: " + workspace.IncompleteReason() + where);
    return result;
}

int OpenWorkspaceFile(Workspace& workspace, const std::string& path, std::string* message)
{
    WriteBackupCopy(path);
    return LoadWorkspaceFile(workspace, path, message);
}

namespace {

int Store(const Workspace& workspace, const std::string& path, std::string* message,
          StagedFile::Mode mode)
{
    SetMessage(message, {});
    std::string text;
    std::string error;
    if (!workspace.Write(text, &error)) {
        SetMessage(message, error);
        return -1;
    }
    const int result = mode == StagedFile::Mode::CreateOnly
                           ? CreateFileAtomically(path, text, &error)
                           : WriteFileAtomically(path, text, &error);
    if (result != 0) {
        SetMessage(message, "cannot write workspace file " + path + ": " + error);
        return -1;
    }
    return 0;
}

}  // namespace

int SaveWorkspaceFile(const Workspace& workspace, const std::string& path, std::string* message)
{
    return Store(workspace, path, message, StagedFile::Mode::Replace);
}

int CreateWorkspaceFile(const Workspace& workspace, const std::string& path, std::string* message)
{
    return Store(workspace, path, message, StagedFile::Mode::CreateOnly);
}

}  // namespace codeburg
