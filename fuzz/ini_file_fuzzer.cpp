// Feeds arbitrary bytes to the settings-file reader and writer.
//
// Input: [query '\0'] file. Without a NUL the whole input is the file and the
// settings the program uses are looked up. With one, the part before it holds
// "section\nkey\nvalue", which is looked up, written, and read back: a plain
// value written must read back unchanged, whatever the file held around it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/fuzz_temp_file.h"
#include "platform/ini_file.h"

namespace {

using codeburg::IniFile;

struct Probe {
    const char* section;
    const char* key;
};
constexpr Probe kProbes[] = {{"SNAPSHOT", "QUALITY"},
                             {"SCORING", "LINECOUNT"},
                             {"SCORING", "coeff01"},
                             {"MAIN", "LOADMOSTRECENT"}};

std::string_view NextField(std::string_view& rest)
{
    const size_t end = rest.find('\n');
    const std::string_view field = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    return field;
}

// Names and values that no trimming, quoting or case rule touches.
bool IsPlain(std::string_view text)
{
    if (text.empty() || text.size() > IniFile::kMaxValueLength) return false;
    for (char c : text)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '_' || c == ',' || c == '.'))
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const codeburg::fuzz::TempFolder folder;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t nul = input.find('\0');
    const std::string_view file = nul == std::string_view::npos ? input : input.substr(nul + 1);

    const std::string path = folder.WriteFile(
        "codeburg.ini", reinterpret_cast<const uint8_t*>(file.data()), file.size());
    if (path.empty()) return 0;
    IniFile ini(path);
    for (const Probe& p : kProbes) {
        (void)ini.GetString(p.section, p.key, " default ");
        (void)ini.GetInt(p.section, p.key, 25);
    }
    if (nul == std::string_view::npos) return 0;

    std::string_view query = input.substr(0, nul);
    const std::string_view section = NextField(query);
    const std::string_view key = NextField(query);
    const std::string_view value = query;
    (void)ini.GetString(section, key, value, value.size());
    (void)ini.GetInt(section, key, -1);
    if (!ini.WriteString(section, key, value)) return 0;

    if (IsPlain(section) && IsPlain(key) && IsPlain(value) &&
        IniFile(path).GetString(section, key, "") != value)
        std::abort();  // the value written is not the value read back
    return 0;
}
