#include "analysis/text_report.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <memory>

#include "analysis/project_stats.h"

namespace codeburg {

namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

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
    FilePtr f(std::fopen(path.c_str(), "ab"));
    if (!f) return -1;
    const bool written = std::fwrite(text.data(), 1, text.size(), f.get()) == text.size();
    return (std::fclose(f.release()) == 0 && written) ? 0 : -1;
}

}  // namespace

std::string ReportPathForExecutable(std::string_view executablePath)
{
    return std::string(executablePath) + ".txt";
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
