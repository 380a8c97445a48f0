#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace codeburg::testing {

// A scratch directory removed with everything in it when the test ends.
class TempTree {
public:
    explicit TempTree(const std::string& leaf = "proj")
    {
        char pattern[] = "/tmp/cbtestXXXXXX";
        m_base = mkdtemp(pattern);
        m_root = m_base / leaf;
        std::filesystem::create_directories(m_root);
    }
    ~TempTree()
    {
        std::error_code ec;
        std::filesystem::permissions(m_base, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(m_base, ec);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    std::string root() const { return m_root.string(); }
    std::string path(const std::string& relative) const { return (m_root / relative).string(); }

    // Creates the file and any missing parent directories.
    std::string Write(const std::string& relative, const std::string& text) const
    {
        const auto p = m_root / relative;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << text;
        return p.string();
    }

private:
    std::filesystem::path m_base;
    std::filesystem::path m_root;
};

// A small C++ source whose figures vary with "n", so that files differ.
inline std::string SampleSource(int n)
{
    std::string text = "#include <a.h>\n// file " + std::to_string(n) + "\n\n";
    for (int i = 0; i <= n % 7; ++i) {
        text += "int Cls" + std::to_string(n % 3) + "::f" + std::to_string(i) + "(int a) {\n";
        for (int j = 0; j < (n * 7 + i * 13) % 40; ++j)
            text += "    a += " + std::to_string(j) + ";\n";
        text += "    assert(a);\n    return a;\n}\n\n";
    }
    for (int i = 0; i < n % 4; ++i) text += "#include <b" + std::to_string(i) + ".h>\n";
    return text;
}

}  // namespace codeburg::testing
