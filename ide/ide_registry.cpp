#include "ide/ide_registry.h"

namespace codeburg {

namespace {

IdeRegistry* g_installed = nullptr;

}  // namespace

const std::map<std::string, MemoryRegistry::Value>* MemoryRegistry::values(
    const std::string& key) const
{
    const auto it = m_keys.find(key);
    return it == m_keys.end() ? nullptr : &it->second;
}

bool MemoryRegistry::keyExists(const std::string& key) const
{
    return m_keys.count(key) != 0;
}

std::optional<uint32_t> MemoryRegistry::readDword(const std::string& key,
                                                  const std::string& name) const
{
    const auto* entries = values(key);
    if (!entries) return std::nullopt;
    const auto it = entries->find(name);
    if (it == entries->end() || !std::holds_alternative<uint32_t>(it->second)) {
        return std::nullopt;
    }
    return std::get<uint32_t>(it->second);
}

std::optional<std::string> MemoryRegistry::readString(const std::string& key,
                                                      const std::string& name) const
{
    const auto* entries = values(key);
    if (!entries) return std::nullopt;
    const auto it = entries->find(name);
    if (it == entries->end() || !std::holds_alternative<std::string>(it->second)) {
        return std::nullopt;
    }
    return std::get<std::string>(it->second);
}

bool MemoryRegistry::writeString(const std::string& key, const std::string& name,
                                 const std::string& value)
{
    auto it = m_keys.find(key);
    if (it == m_keys.end()) return false;
    it->second[name] = value;
    return true;
}

bool MemoryRegistry::writeDword(const std::string& key, const std::string& name, uint32_t value)
{
    auto it = m_keys.find(key);
    if (it == m_keys.end()) return false;
    it->second[name] = value;
    return true;
}

IdeRegistry& ToolsRegistry()
{
    // No development environment registers its tools here: an empty registry
    // makes the check find nothing installed.
    static MemoryRegistry platform;
    return g_installed ? *g_installed : platform;
}

void InstallToolsRegistry(IdeRegistry* registry)
{
    g_installed = registry;
}

}  // namespace codeburg
