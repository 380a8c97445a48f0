#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace codeburg {

// How method bodies are told from other braces in C, C++ and Java.
// Classic: a body counts only at brace depth 0 (C, C++) or 1 (Java), so
// functions inside namespaces and class bodies are file lines only.
// Modern: a body counts inside any nesting of namespaces, extern "C" blocks
// and type bodies, and names and parameter counts read as a programmer
// would read them. The values are stored in statistics files.
enum class MethodRule : uint8_t { Classic = 0, Modern = 1 };

// "classic" or "modern": the spelling of the command line and the workspace file.
inline std::string_view MethodRuleName(MethodRule rule)
{
    return rule == MethodRule::Modern ? "modern" : "classic";
}

// The rule spelt "text", in any case; nothing for any other text.
inline std::optional<MethodRule> ParseMethodRule(std::string_view text)
{
    auto equalsNoCase = [text](std::string_view lower) {
        if (text.size() != lower.size()) return false;
        for (size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != lower[i])
                return false;
        }
        return true;
    };
    if (equalsNoCase("classic")) return MethodRule::Classic;
    if (equalsNoCase("modern")) return MethodRule::Modern;
    return std::nullopt;
}

}  // namespace codeburg
