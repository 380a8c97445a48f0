#include "workspace/workspace_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/safe_file.h"
#include "workspace/workspace.h"

namespace codeburg {

namespace {

// Workspace files are small text; anything this large is not one.
constexpr std::uintmax_t kMaxFileSize = 256u * 1024 * 1024;

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
    std::error_code ec;
    return std::filesystem::copy_file(path, backup,
                                      std::filesystem::copy_options::overwrite_existing, ec);
}

int LoadWorkspaceFile(Workspace& workspace, const std::string& path, std::string* message)
{
    SetMessage(message, {});
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        SetMessage(message, "cannot read workspace file " + path + ": it is a directory");
        return -1;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > kMaxFileSize) {
        SetMessage(message, "cannot read workspace file " + path + ": file too large");
        return -1;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        SetMessage(message, "cannot open workspace file " + path + ": " + std::strerror(errno));
        return -1;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        SetMessage(message, "cannot read workspace file " + path);
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

int SaveWorkspaceFile(const Workspace& workspace, const std::string& path, std::string* message)
{
    SetMessage(message, {});
    std::string text;
    std::string error;
    if (!workspace.Write(text, &error)) {
        SetMessage(message, error);
        return -1;
    }
    if (WriteFileAtomically(path, text) != 0) {
        SetMessage(message, "cannot write workspace file " + path + ": " + std::strerror(errno));
        return -1;
    }
    return 0;
}

}  // namespace codeburg
