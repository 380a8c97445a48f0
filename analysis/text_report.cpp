#include "analysis/text_report.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/safe_file.h"
#include "records/project_stats.h"

namespace codeburg {

namespace {

// printf into a string of whatever length the text needs.
__attribute__((format(printf, 2, 0))) bool AppendV(std::string& out, const char* format,
                                                   va_list args)
{
    char small[1024];
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(small, sizeof small, format, args);
    bool ok = length >= 0;
    if (ok && static_cast<size_t>(length) < sizeof small) {
        out.append(small, static_cast<size_t>(length));
    } else if (ok) {
        std::string large(static_cast<size_t>(length) + 1, '\0');
        std::vsnprintf(large.data(), large.size(), format, again);
        out.append(large.data(), static_cast<size_t>(length));
    }
    va_end(again);
    return ok;
}

__attribute__((format(printf, 2, 3))) void Append(std::string& out, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    AppendV(out, format, args);
    va_end(args);
}

int AppendToReport(const std::string& path, const std::string& text)
{
    if (path.empty()) return -1;
    // Never through a link, nor into a FIFO that would hang the build.
    const int fd = OpenForAppending(path, nullptr);
    if (fd < 0) return -1;
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    return (close(fd) == 0 && done == text.size()) ? 0 : -1;
}

bool CanWriteBeside(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash ? slash : 1);
    struct stat st;
    if (lstat(path.c_str(), &st) == 0)
        return S_ISREG(st.st_mode) && access(path.c_str(), W_OK) == 0;
    return access(dir.c_str(), W_OK) == 0;
}

// Creates "path" and its missing parents, private to the user.
void MakeDirectories(const std::string& path)
{
    for (size_t at = 1; at <= path.size(); ++at) {
        if (at == path.size() || path[at] == '/') mkdir(path.substr(0, at).c_str(), 0700);
    }
}

}  // namespace

std::string ReportPathForExecutable(std::string_view executablePath)
{
    return std::string(executablePath) + ".txt";
}

std::string TextReportPath(std::string_view executablePath)
{
    const std::string beside = ReportPathForExecutable(executablePath);
    if (CanWriteBeside(beside)) return beside;
    std::string state;
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && *xdg == '/')
        state = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        state = std::string(home) + "/.local/state";
    else
        return beside;
    state += "/codeburg";
    MakeDirectories(state);
    const size_t slash = beside.rfind('/');
    return state + "/" + (slash == std::string::npos ? beside : beside.substr(slash + 1));
}

int ReportLine(const std::string& path, const char* format, ...)
{
    std::string line;
    va_list args;
    va_start(args, format);
    const bool formatted = AppendV(line, format, args);
    va_end(args);
    if (!formatted) return -1;
    line += "\r\n";
    return AppendToReport(path, line);
}

int WriteFullReport(const ProjectStats& stats, const std::string& path)
{
    std::string head;
    Append(head, "Project : %s\r\n\r\n", stats.name.c_str());
    head += "Files inspected:";
    int result = AppendToReport(path, head);
    // Each file appends on its own, so a report cut short still ends on a whole file.
    for (const auto& file : stats.files) {
        std::string dump;
        Append(dump, "\r\n\r\n<%s> volume=%d asserts=%d comments=%d\r\n", file->name.c_str(),
               file->Volume(), file->asserts, file->commentLines);
        for (const auto& method : file->methods)
            Append(dump, "%s::%s(%d) %d eloc %d com\r\n", method->className.c_str(),
                   method->methodName.c_str(), method->paramCount, method->eloc,
                   method->commentLines);
        if (AppendToReport(path, dump) != 0) result = -1;
    }
    return result;
}

int DeleteReport(const std::string& path)
{
    if (path.empty()) return -1;
    return (std::remove(path.c_str()) == 0 || errno == ENOENT) ? 0 : -1;
}

}  // namespace codeburg
