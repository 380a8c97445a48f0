#include "platform/registry.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/path_util.h"
#include "platform/safe_file.h"

namespace codeburg {

const char kUninstallKey[] =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

namespace {

constexpr uint64_t kMaxStoreBytes = 64u << 20;

// Keys that exist on every system; the file store keeps them only while they
// hold values.
const std::vector<std::string>& SystemKeys()
{
    static const std::vector<std::string> keys = {
        "HKEY_LOCAL_MACHINE",
        "HKEY_LOCAL_MACHINE\\Software",
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft",
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows",
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion",
        kUninstallKey,
        "HKEY_CURRENT_USER",
        "HKEY_CURRENT_USER\\Software",
    };
    return keys;
}

// "a\\b\" and "\a\b" both become "a\b"; empty parts are dropped.
std::string NormaliseKey(std::string_view key)
{
    std::string result;
    size_t i = 0;
    while (i < key.size()) {
        const size_t end = std::min(key.find('\\', i), key.size());
        if (end > i) {
            if (!result.empty()) result += '\\';
            result.append(key.substr(i, end - i));
        }
        i = end + 1;
    }
    return result;
}

std::string ParentKey(const std::string& key)
{
    const size_t slash = key.rfind('\\');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string Quote(std::string_view text)
{
    std::string result = "\"";
    for (char c : text) {
        switch (c) {
            case '\\':
                result += "\\\\";
                break;
            case '"':
                result += "\\\"";
                break;
            case '\n':
                result += "\\n";
                break;
            case '\r':
                result += "\\r";
                break;
            case '\0':
                result += "\\0";
                break;
            default:
                result += c;
        }
    }
    return result + '"';
}

// Reads a quoted text starting at text[pos] == '"'; leaves pos after the
// closing quote. Empty when the quote is not closed.
std::optional<std::string> Unquote(std::string_view text, size_t& pos)
{
    if (pos >= text.size() || text[pos] != '"') return std::nullopt;
    std::string result;
    for (size_t i = pos + 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            pos = i + 1;
            return result;
        }
        if (c == '\\' && i + 1 < text.size()) {
            c = text[++i];
            if (c == 'n')
                c = '\n';
            else if (c == 'r')
                c = '\r';
            else if (c == '0')
                c = '\0';
        }
        result += c;
    }
    return std::nullopt;
}

}  // namespace

bool InMemoryRegistry::NoCaseLess::operator()(std::string_view a, std::string_view b) const
{
    return CompareNoCase(a, b) < 0;
}

bool InMemoryRegistry::CreateKey(std::string_view key)
{
    const std::string path = NormaliseKey(key);
    if (path.empty()) return false;
    for (std::string part = path; !part.empty(); part = ParentKey(part)) {
        if (m_keys.count(part)) break;
        m_keys[part].path = part;
    }
    return true;
}

bool InMemoryRegistry::KeyExists(std::string_view key) const
{
    return m_keys.count(NormaliseKey(key)) != 0;
}

bool InMemoryRegistry::DeleteKey(std::string_view key)
{
    const std::string path = NormaliseKey(key);
    auto it = m_keys.find(path);
    if (it == m_keys.end()) return false;
    // Subkeys sort right after their parent only when compared on "path\",
    // so walk every key that starts with it.
    const std::string prefix = path + '\\';
    for (auto sub = m_keys.begin(); sub != m_keys.end();) {
        if (StartsWithNoCase(sub->first, prefix))
            sub = m_keys.erase(sub);
        else
            ++sub;
    }
    m_keys.erase(path);
    return true;
}

std::vector<std::string> InMemoryRegistry::SubKeys(std::string_view key) const
{
    const std::string prefix = NormaliseKey(key) + '\\';
    std::vector<std::string> names;
    for (const auto& [path, entry] : m_keys) {
        if (!StartsWithNoCase(path, prefix)) continue;
        const std::string rest = entry.path.substr(prefix.size());
        if (rest.find('\\') == std::string::npos) names.push_back(rest);
    }
    return names;
}

InMemoryRegistry::Value* InMemoryRegistry::findValue(std::string_view key, std::string_view name)
{
    auto it = m_keys.find(NormaliseKey(key));
    if (it == m_keys.end()) return nullptr;
    auto value = it->second.values.find(name);
    return value == it->second.values.end() ? nullptr : &value->second;
}

const InMemoryRegistry::Value* InMemoryRegistry::findValue(std::string_view key,
                                                           std::string_view name) const
{
    return const_cast<InMemoryRegistry*>(this)->findValue(key, name);
}

std::optional<std::string> InMemoryRegistry::ReadString(std::string_view key,
                                                        std::string_view name) const
{
    const Value* value = findValue(key, name);
    if (!value || !value->isText) return std::nullopt;
    return value->text;
}

std::optional<uint32_t> InMemoryRegistry::ReadInteger(std::string_view key,
                                                      std::string_view name) const
{
    const Value* value = findValue(key, name);
    if (!value || value->isText) return std::nullopt;
    return value->number;
}

bool InMemoryRegistry::setValue(std::string_view key, std::string_view name, Value value)
{
    auto it = m_keys.find(NormaliseKey(key));
    if (it == m_keys.end()) return false;
    auto& values = it->second.values;
    auto existing = values.find(name);
    if (existing != values.end())
        existing->second = std::move(value);
    else
        values.emplace(std::string(name), std::move(value));
    return true;
}

bool InMemoryRegistry::WriteString(std::string_view key, std::string_view name,
                                   std::string_view value)
{
    return setValue(key, name, Value{true, std::string(value), 0});
}

bool InMemoryRegistry::WriteInteger(std::string_view key, std::string_view name, uint32_t value)
{
    return setValue(key, name, Value{false, {}, value});
}

bool InMemoryRegistry::DeleteValue(std::string_view key, std::string_view name)
{
    auto it = m_keys.find(NormaliseKey(key));
    if (it == m_keys.end()) return false;
    auto value = it->second.values.find(name);
    if (value == it->second.values.end()) return false;
    it->second.values.erase(value);
    return true;
}

std::string InMemoryRegistry::Serialize(const std::vector<std::string>& implied) const
{
    std::string body;
    for (const auto& [path, key] : m_keys) {
        bool skip = key.values.empty();
        if (skip) {
            skip = false;
            for (const std::string& name : implied)
                if (EqualsNoCase(NormaliseKey(name), path)) skip = true;
        }
        if (skip) continue;
        body += "\n[" + key.path + "]\n";
        for (const auto& [name, value] : key.values) {
            body += name.empty() ? std::string("@") : Quote(name);
            if (value.isText) {
                body += '=' + Quote(value.text) + '\n';
            } else {
                char number[24];
                std::snprintf(number, sizeof number, "=dword:%08x\n", value.number);
                body += number;
            }
        }
    }
    return body.empty() ? std::string() : "REGEDIT4\n" + body;
}

void InMemoryRegistry::Parse(std::string_view text)
{
    std::string current;  // empty until the first key line
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            current = NormaliseKey(line.substr(1, line.size() - 2));
            if (!current.empty()) CreateKey(current);
            continue;
        }
        if (current.empty() || line.empty()) continue;
        std::string name;
        size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else {
            auto quoted = Unquote(line, pos);
            if (!quoted) continue;
            name = std::move(*quoted);
        }
        if (pos >= line.size() || line[pos] != '=') continue;
        ++pos;
        if (auto value = Unquote(line, pos)) {
            WriteString(current, name, *value);
        } else if (line.substr(pos, 6) == "dword:" && line.size() == pos + 14) {
            char* stop = nullptr;
            const std::string digits(line.substr(pos + 6));
            const unsigned long number = std::strtoul(digits.c_str(), &stop, 16);
            if (stop && *stop == '\0') WriteInteger(current, name, static_cast<uint32_t>(number));
        }
    }
}

FileRegistry::FileRegistry(std::string path) : m_path(std::move(path)) {}

InMemoryRegistry FileRegistry::load() const
{
    InMemoryRegistry registry;
    for (const std::string& key : SystemKeys()) registry.CreateKey(key);
    // Never a FIFO or a device under the store's name, nor without bound.
    std::string text;
    if (ReadRegularFile(m_path, kMaxStoreBytes, text, nullptr) == 0) registry.Parse(text);
    return registry;
}

bool FileRegistry::save(const InMemoryRegistry& registry) const
{
    if (m_path.empty()) return false;
    const std::string text = registry.Serialize(SystemKeys());
    std::error_code error;
    if (text.empty()) {
        std::filesystem::remove(m_path, error);
        return !error;
    }
    const std::filesystem::path parent = std::filesystem::path(m_path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, error);
    return WriteFileAtomically(m_path, text) == 0;
}

bool FileRegistry::CreateKey(std::string_view key)
{
    InMemoryRegistry registry = load();
    if (registry.KeyExists(key)) return true;
    return registry.CreateKey(key) && save(registry);
}

bool FileRegistry::KeyExists(std::string_view key) const
{
    return load().KeyExists(key);
}

bool FileRegistry::DeleteKey(std::string_view key)
{
    InMemoryRegistry registry = load();
    return registry.DeleteKey(key) && save(registry);
}

std::vector<std::string> FileRegistry::SubKeys(std::string_view key) const
{
    return load().SubKeys(key);
}

std::optional<std::string> FileRegistry::ReadString(std::string_view key,
                                                    std::string_view name) const
{
    return load().ReadString(key, name);
}

std::optional<uint32_t> FileRegistry::ReadInteger(std::string_view key, std::string_view name) const
{
    return load().ReadInteger(key, name);
}

bool FileRegistry::WriteString(std::string_view key, std::string_view name, std::string_view value)
{
    InMemoryRegistry registry = load();
    return registry.WriteString(key, name, value) && save(registry);
}

bool FileRegistry::WriteInteger(std::string_view key, std::string_view name, uint32_t value)
{
    InMemoryRegistry registry = load();
    return registry.WriteInteger(key, name, value) && save(registry);
}

bool FileRegistry::DeleteValue(std::string_view key, std::string_view name)
{
    InMemoryRegistry registry = load();
    return registry.DeleteValue(key, name) && save(registry);
}

std::string DefaultRegistryPath()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config) return PathJoin(config, "codeburg-registry.reg");
    const char* home = std::getenv("HOME");
    if (home && *home) return PathJoin(PathJoin(home, ".config"), "codeburg-registry.reg");
    return {};
}

}  // namespace codeburg
