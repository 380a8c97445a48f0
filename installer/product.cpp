#include "installer/product.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/path_util.h"

namespace codeburg {

namespace fs = std::filesystem;

namespace {

std::string_view Trim(std::string_view text)
{
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool ContainsNoCase(std::string_view text, std::string_view part)
{
    return ToLowerAscii(text).find(ToLowerAscii(part)) != std::string::npos;
}

bool IsExecutableFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           (info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
}

}  // namespace

std::vector<ProfileSection> ParseProfile(std::string_view text)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<ProfileSection> sections;
    ProfileSection* current = nullptr;
    bool ignored = false;  // inside a repeated section, which the readers never see
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            const std::string_view name =
                Trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
            ignored = FindSection(sections, name) != nullptr;
            if (!ignored) {
                sections.push_back({std::string(name), {}});
                current = &sections.back();
            }
            continue;
        }
        const size_t equals = line.find('=');
        if (!current || ignored || equals == std::string_view::npos) continue;
        std::string_view value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        current->entries.emplace_back(std::string(Trim(line.substr(0, equals))),
                                      std::string(value));
    }
    return sections;
}

const ProfileSection* FindSection(const std::vector<ProfileSection>& sections,
                                  std::string_view name)
{
    for (const ProfileSection& section : sections)
        if (EqualsNoCase(section.name, name)) return &section;
    return nullptr;
}

namespace {

const std::string* FindValue(const std::vector<ProfileSection>& sections, std::string_view section,
                             std::string_view key)
{
    const ProfileSection* found = FindSection(sections, section);
    if (!found) return nullptr;
    for (const auto& [name, value] : found->entries)
        if (EqualsNoCase(name, key)) return &value;
    return nullptr;
}

}  // namespace

std::string ProfileString(const std::vector<ProfileSection>& sections, std::string_view section,
                          std::string_view key, std::string_view fallback)
{
    const std::string* value = FindValue(sections, section, key);
    return value ? *value : std::string(fallback);
}

int64_t ProfileInt(const std::vector<ProfileSection>& sections, std::string_view section,
                   std::string_view key, int64_t fallback)
{
    const std::string* value = FindValue(sections, section, key);
    // An empty value reads as absent, as the platform's reader has it.
    if (!value || value->empty()) return fallback;
    std::string_view text = *value;
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    int64_t result = 0;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0) break;
        result = result * base + digit;
        if (result > 0xFFFFFFFFll) break;  // no colour or count needs more; avoid overflow
    }
    return negative ? -result : result;
}

std::vector<std::string> ProfileValues(const std::vector<ProfileSection>& sections,
                                       std::string_view section)
{
    std::vector<std::string> values;
    const ProfileSection* found = FindSection(sections, section);
    if (!found) return values;
    for (const auto& entry : found->entries)
        values.push_back(*FindValue(sections, section, entry.first));
    return values;
}

std::string ListPathFor(std::string_view installerPath)
{
    fs::path path{std::string(installerPath)};
    path.replace_extension(".list");
    return path.string();
}

Product LoadProduct(std::string_view installerPath)
{
    Product product;
    const std::string listPath = ListPathFor(installerPath);
    product.sourceDirectory = fs::path(listPath).parent_path().string();
    const auto sections = ParseProfile(ReadBytes(listPath));
    product.name = ProfileString(sections, "APP", "NAME", "");
    product.copyright = ProfileString(sections, "APP", "COPYRIGHT", "");
    product.url = ProfileString(sections, "APP", "URL", "");
    product.release = ProfileString(sections, "APP", "RELEASE", "1.00A");
    product.bgColor =
        static_cast<uint32_t>(ProfileInt(sections, "APP", "BGCOLOR", 0xFFFFFF)) & 0xFFFFFF;
    product.color = static_cast<uint32_t>(ProfileInt(sections, "APP", "COLOR", 0)) & 0xFFFFFF;
    product.files = ProfileValues(sections, "FILES");
    for (const std::string& file : product.files) {
        // Programs carry no extension here, so a listed file that is executable
        // in the source directory counts as a program too.
        if (product.mainProgram.empty() &&
            (ContainsNoCase(file, ".exe") ||
             (!file.empty() && IsExecutableFile(PathJoin(product.sourceDirectory, file))))) {
            product.mainProgram = file;
        }
        if (product.helpFile.empty() &&
            (ContainsNoCase(file, ".chm") || ContainsNoCase(file, ".qch"))) {
            product.helpFile = file;
        }
    }
    product.licence = ReadBytes(PathJoin(product.sourceDirectory, "licence.txt"));
    return product;
}

std::string DefaultTargetDirectory(std::string_view name, std::string_view home, bool asRoot)
{
    if (asRoot) return PathJoin("/opt", name);
    return PathJoin(PathJoin(home, ".local/opt"), name);
}

bool IsSafeProductName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string_view::npos;
}

}  // namespace codeburg
