#pragma once
// TEMPORARY stand-in until the settings file lands in main.
#include <string>
namespace codeburg {
class IniFile {
public:
    explicit IniFile(std::string path) : m_path(std::move(path)) {}
    std::string GetString(const std::string&, const std::string&, const std::string& def) const { return def; }
    int GetInt(const std::string&, const std::string&, int def) const { return def; }
private:
    std::string m_path;
};
}  // namespace codeburg
