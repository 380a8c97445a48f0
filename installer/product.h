#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace codeburg {

// One section of a private-profile file, keys in file order. Names compare
// without regard to case; a key listed twice reads as its first value.
struct ProfileSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;
};

// Parses INI text the way the private-profile functions read it: the first of
// several sections with one name wins, lines without "=" and ";" comments are
// skipped, names and values are trimmed and one pair of quotes around a value
// is removed.
std::vector<ProfileSection> ParseProfile(std::string_view text);
const ProfileSection* FindSection(const std::vector<ProfileSection>& sections,
                                  std::string_view name);
std::string ProfileString(const std::vector<ProfileSection>& sections, std::string_view section,
                          std::string_view key, std::string_view fallback);
// Leading decimal digits (or "0x" and hex digits) with an optional sign; 0 when
// the value holds none, "fallback" when the key is missing or its value empty.
int64_t ProfileInt(const std::vector<ProfileSection>& sections, std::string_view section,
                   std::string_view key, int64_t fallback);
// The values of every key of a section in key order.
std::vector<std::string> ProfileValues(const std::vector<ProfileSection>& sections,
                                       std::string_view section);

// What the list file beside the installer describes. Colours keep red in the
// low byte.
struct Product {
    std::string name;
    std::string copyright;
    std::string url;
    std::string release = "1.00A";
    uint32_t bgColor = 0xFFFFFF;
    uint32_t color = 0x000000;
    std::vector<std::string> files;
    std::string mainProgram;  // a value of "files", or empty
    std::string helpFile;     // a value of "files", or empty
    std::string licence;      // bytes of "licence.txt", empty when missing
    std::string sourceDirectory;
};

// "dir/installer" -> "dir/installer.list"; "dir/installer.exe" -> "dir/installer.list".
std::string ListPathFor(std::string_view installerPath);

// Reads the list file of the installer at "installerPath". A missing file
// gives a product with empty texts and no files.
Product LoadProduct(std::string_view installerPath);

// "$HOME/.local/opt/<name>", or "/opt/<name>" for the administrator.
std::string DefaultTargetDirectory(std::string_view name, std::string_view home, bool asRoot);

// True when the name can stand as one folder and key name: not empty, not
// "." or "..", and free of "/" and "\".
bool IsSafeProductName(std::string_view name);

}  // namespace codeburg
