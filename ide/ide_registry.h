#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>

namespace codeburg {

// The part of the per-user registry the IDE tools check needs: existing
// keys are opened, never created. Values are strings or 32-bit integers.
class IdeRegistry {
public:
    virtual ~IdeRegistry() = default;
    virtual bool keyExists(const std::string& key) const = 0;
    virtual std::optional<uint32_t> readDword(const std::string& key,
                                              const std::string& name) const = 0;
    virtual std::optional<std::string> readString(const std::string& key,
                                                  const std::string& name) const = 0;
    // False when the key does not exist or cannot be written.
    virtual bool writeString(const std::string& key, const std::string& name,
                             const std::string& value) = 0;
    virtual bool writeDword(const std::string& key, const std::string& name, uint32_t value) = 0;
    virtual bool flush(const std::string& key) = 0;
};

// A registry held in memory: what tests install, and what stands for the
// platform registry where no development environment ever registers (the
// empty one, on Linux).
class MemoryRegistry : public IdeRegistry {
public:
    using Value = std::variant<uint32_t, std::string>;

    void createKey(const std::string& key) { m_keys[key]; }
    const std::map<std::string, Value>* values(const std::string& key) const;

    bool keyExists(const std::string& key) const override;
    std::optional<uint32_t> readDword(const std::string& key,
                                      const std::string& name) const override;
    std::optional<std::string> readString(const std::string& key,
                                          const std::string& name) const override;
    bool writeString(const std::string& key, const std::string& name,
                     const std::string& value) override;
    bool writeDword(const std::string& key, const std::string& name, uint32_t value) override;
    bool flush(const std::string& key) override { return keyExists(key); }

private:
    std::map<std::string, std::map<std::string, Value>> m_keys;
};

// The registry the program uses; tests install their own (not owned).
IdeRegistry& ToolsRegistry();
void InstallToolsRegistry(IdeRegistry* registry);

}  // namespace codeburg
