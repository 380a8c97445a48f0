#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace codeburg {

// A hierarchical store of keys and named values in the manner of the Windows
// registry. Keys are full paths with "\" between the parts, beginning with the
// root ("HKEY_LOCAL_MACHINE\Software\..."); key paths and value names are
// compared without regard to ASCII case, and keep the spelling they were
// created with. Values are text or 32-bit integers. No operation throws;
// failure is a false or empty result.
class Registry {
public:
    virtual ~Registry() = default;

    // Creates the key and any missing parents. True when it exists afterwards.
    virtual bool CreateKey(std::string_view key) = 0;
    virtual bool KeyExists(std::string_view key) const = 0;
    // Removes the key with its values and all its subkeys. False when missing.
    virtual bool DeleteKey(std::string_view key) = 0;
    // Names of the direct subkeys, in case-insensitive order.
    virtual std::vector<std::string> SubKeys(std::string_view key) const = 0;

    // Empty when the key or value is missing or holds the other type.
    virtual std::optional<std::string> ReadString(std::string_view key,
                                                  std::string_view name) const = 0;
    virtual std::optional<uint32_t> ReadInteger(std::string_view key,
                                                std::string_view name) const = 0;
    // False when the key does not exist: writing never creates keys.
    virtual bool WriteString(std::string_view key, std::string_view name,
                             std::string_view value) = 0;
    virtual bool WriteInteger(std::string_view key, std::string_view name, uint32_t value) = 0;
    virtual bool DeleteValue(std::string_view key, std::string_view name) = 0;
};

// The registry held in memory; also the working copy of FileRegistry.
class InMemoryRegistry final : public Registry {
public:
    bool CreateKey(std::string_view key) override;
    bool KeyExists(std::string_view key) const override;
    bool DeleteKey(std::string_view key) override;
    std::vector<std::string> SubKeys(std::string_view key) const override;
    std::optional<std::string> ReadString(std::string_view key,
                                          std::string_view name) const override;
    std::optional<uint32_t> ReadInteger(std::string_view key, std::string_view name) const override;
    bool WriteString(std::string_view key, std::string_view name, std::string_view value) override;
    bool WriteInteger(std::string_view key, std::string_view name, uint32_t value) override;
    bool DeleteValue(std::string_view key, std::string_view name) override;

    // The text form: "REGEDIT4", then per key a "[path]" line followed by
    // "name"="text" or "name"=dword:0000002a lines ("@" names the unnamed value).
    // Keys listed in "implied" are left out while they hold no values, so a
    // store holding only those keys serialises to nothing at all.
    std::string Serialize(const std::vector<std::string>& implied = {}) const;
    // Adds what the text holds; lines it cannot understand are skipped.
    void Parse(std::string_view text);

private:
    struct NoCaseLess {
        bool operator()(std::string_view a, std::string_view b) const;
        using is_transparent = void;
    };
    struct Value {
        bool isText = true;
        std::string text;
        uint32_t number = 0;
    };
    struct Key {
        std::string path;  // as first created
        std::map<std::string, Value, NoCaseLess> values;
    };
    Value* findValue(std::string_view key, std::string_view name);
    const Value* findValue(std::string_view key, std::string_view name) const;
    bool setValue(std::string_view key, std::string_view name, Value value);

    std::map<std::string, Key, NoCaseLess> m_keys;  // by normalised path
};

// A registry kept in one file. Every call reads the file afresh and every
// change rewrites it atomically, so two programs (the installer and the
// uninstaller it registers) see each other's entries. The keys every system
// has (the uninstall key and its parents, HKEY_CURRENT_USER\Software) always
// exist and are stored only when they hold values; when nothing else is left
// the file is removed, so an install followed by an uninstall leaves no trace.
class FileRegistry final : public Registry {
public:
    explicit FileRegistry(std::string path);

    const std::string& path() const { return m_path; }

    bool CreateKey(std::string_view key) override;
    bool KeyExists(std::string_view key) const override;
    bool DeleteKey(std::string_view key) override;
    std::vector<std::string> SubKeys(std::string_view key) const override;
    std::optional<std::string> ReadString(std::string_view key,
                                          std::string_view name) const override;
    std::optional<uint32_t> ReadInteger(std::string_view key, std::string_view name) const override;
    bool WriteString(std::string_view key, std::string_view name, std::string_view value) override;
    bool WriteInteger(std::string_view key, std::string_view name, uint32_t value) override;
    bool DeleteValue(std::string_view key, std::string_view name) override;

private:
    InMemoryRegistry load() const;
    bool save(const InMemoryRegistry& registry) const;

    std::string m_path;
};

// "HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall"
extern const char kUninstallKey[];

// The store of the current user: "codeburg-registry.reg" in $XDG_CONFIG_HOME,
// or in ~/.config when that is not set. Empty when neither can be found.
std::string DefaultRegistryPath();

}  // namespace codeburg
