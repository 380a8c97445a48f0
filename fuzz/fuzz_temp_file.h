#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace codeburg::fuzz {

// A private folder for the harnesses that must read from a path, made once per
// process under $TMPDIR (or /tmp) and removed at exit; libFuzzer runs each
// input in the same process, so the folder and its file are reused.
class TempFolder {
public:
    TempFolder()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/cb_fuzz_XXXXXX";
        if (mkdtemp(pattern.data())) m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ec;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }

    // Replaces the file "name" in the folder by "data"; its path, or "" when
    // it cannot be written.
    std::string WriteFile(const std::string& name, const uint8_t* data, size_t size) const
    {
        const std::string file = m_path + "/" + name;
        FILE* f = std::fopen(file.c_str(), "wb");
        if (!f) return {};
        const bool ok = std::fwrite(data, 1, size, f) == size;
        return std::fclose(f) == 0 && ok ? file : std::string();
    }

private:
    std::string m_path;
};

}  // namespace codeburg::fuzz
