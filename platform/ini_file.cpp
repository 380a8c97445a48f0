#include "platform/ini_file.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <iterator>
#include <utility>

#include "platform/path_util.h"
#include "platform/safe_file.h"

namespace codeburg {

namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";
constexpr std::string_view kBom = "\xEF\xBB\xBF";
// Settings are a few hundred bytes; anything this large is not ours.
constexpr uint64_t kMaxSettingsBytes = 16u << 20;

std::string_view Trim(std::string_view text)
{
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// The section name of a header line ("[ name ]"), or false for other lines.
bool ParseHeader(std::string_view line, std::string_view& name)
{
    line = Trim(line);
    if (line.empty() || line.front() != '[') return false;
    line.remove_prefix(1);
    const size_t close = line.find(']');
    name = Trim(line.substr(0, close));
    return true;
}

// The key and value of an entry line; false for blank lines, comments and
// lines without "=".
bool ParseEntry(std::string_view line, std::string_view& key, std::string_view& value)
{
    line = Trim(line);
    if (line.empty() || line.front() == ';' || line.front() == '[') return false;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    key = Trim(line.substr(0, eq));
    value = Trim(line.substr(eq + 1));
    return true;
}

std::string_view StripQuotes(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

bool HasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

IniFile::IniFile(std::string path) : m_path(std::move(path))
{
    Reload();
}

bool IniFile::Reload()
{
    m_lines.clear();
    m_crlf = false;
    m_bom = false;
    std::error_code ec;
    const auto status = std::filesystem::status(m_path, ec);
    if (status.type() == std::filesystem::file_type::not_found) return true;
    // A folder, a FIFO or a device under the settings name is no settings file.
    std::string content;
    if (ReadRegularFile(m_path, kMaxSettingsBytes, content, nullptr) != 0) return false;

    std::string_view rest(content);
    if (rest.starts_with(kBom)) {
        m_bom = true;
        rest.remove_prefix(kBom.size());
    }
    const size_t firstBreak = rest.find('\n');
    m_crlf = firstBreak != std::string_view::npos && firstBreak > 0 && rest[firstBreak - 1] == '\r';
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (line.ends_with('\r')) line.remove_suffix(1);
        m_lines.emplace_back(line);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    return true;
}

size_t IniFile::FindSection(std::string_view section) const
{
    std::string_view name;
    for (size_t i = 0; i < m_lines.size(); ++i)
        if (ParseHeader(m_lines[i], name) && EqualsNoCase(name, Trim(section))) return i;
    return std::string::npos;
}

size_t IniFile::SectionEnd(size_t header) const
{
    std::string_view name;
    size_t i = header + 1;
    while (i < m_lines.size() && !ParseHeader(m_lines[i], name)) ++i;
    return i;
}

size_t IniFile::FindKey(size_t header, std::string_view key) const
{
    std::string_view name, value;
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i)
        if (ParseEntry(m_lines[i], name, value) && EqualsNoCase(name, Trim(key))) return i;
    return std::string::npos;
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view defaultValue, size_t maxLength) const
{
    std::string_view result = defaultValue.substr(
        0, defaultValue.find_last_not_of(kBlanks) + 1);  // npos + 1 == 0: all blanks
    const size_t header = FindSection(section);
    if (header != std::string::npos) {
        const size_t line = FindKey(header, key);
        std::string_view name;
        if (line != std::string::npos && ParseEntry(m_lines[line], name, result))
            result = StripQuotes(result);
    }
    return std::string(result.substr(0, maxLength));
}

int32_t IniFile::GetInt(std::string_view section, std::string_view key, int32_t defaultValue) const
{
    const std::string text = GetString(section, key, "");
    if (text.empty()) return defaultValue;
    std::string_view rest = text;
    bool negative = false;
    if (!rest.empty() && (rest.front() == '-' || rest.front() == '+')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    int64_t value = 0;
    for (char c : rest) {
        if (c < '0' || c > '9') break;
        value = std::min<int64_t>(value * 10 + (c - '0'), int64_t(INT32_MAX) + 1);
    }
    if (negative) value = -value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    section = Trim(section);
    key = Trim(key);
    if (HasLineBreak(section) || section.find(']') != std::string_view::npos) return false;
    if (key.empty() || HasLineBreak(key) || key.find('=') != std::string_view::npos ||
        key.front() == ';' || key.front() == '[')
        return false;
    if (HasLineBreak(value)) return false;
    if (!Reload()) return false;  // never overwrite a file we could not read

    const std::string entry = std::string(key) + "=" + std::string(value);
    const size_t header = FindSection(section);
    if (header == std::string::npos) {
        if (!m_lines.empty() && !Trim(m_lines.back()).empty()) m_lines.emplace_back();
        m_lines.push_back("[" + std::string(section) + "]");
        m_lines.push_back(entry);
    } else if (const size_t line = FindKey(header, key); line != std::string::npos) {
        // Keep the spelling the file already uses for the key.
        std::string_view name, old;
        ParseEntry(m_lines[line], name, old);
        m_lines[line] = std::string(name) + "=" + std::string(value);
    } else {
        size_t at = SectionEnd(header);
        while (at > header + 1 && Trim(m_lines[at - 1]).empty()) --at;
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), entry);
    }

    if (WriteFileAtomically(m_path, Serialise()) != 0) {
        Reload();
        return false;
    }
    return true;
}

std::string IniFile::Serialise() const
{
    std::string text = m_bom ? std::string(kBom) : std::string();
    const char* lineEnd = m_crlf ? "\r\n" : "\n";
    for (const std::string& line : m_lines) text += line + lineEnd;
    return text;
}

std::string SettingsFilePath(std::string_view executablePath)
{
    const size_t slash = executablePath.rfind(kPathSeparator);
    const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    std::string name = ToLowerAscii(executablePath.substr(nameStart));
    if (name.ends_with(".exe")) name.resize(name.size() - 4);
    return std::string(executablePath.substr(0, nameStart)) + name + ".ini";
}

std::string SharedSettingsFilePath(std::string_view executableDir)
{
    return PathJoin(executableDir, "codeburg.ini");
}

}  // namespace codeburg
