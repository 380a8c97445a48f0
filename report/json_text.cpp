#include "report/json_text.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

namespace codeburg {

void AppendJsonString(std::string& out, std::string_view text)
{
    bool plain = true;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x80 || c == '"' || c == '\\' || c == '<' || c == '>' ||
            c == '&') {
            plain = false;
            break;
        }
    }
    if (plain) {
        out += '"';
        out += text;
        out += '"';
        return;
    }
    // The library's escapes and UTF-8 repair, then the three HTML characters,
    // which a dumped string holds only inside its own text.
    const std::string dumped = nlohmann::json(std::string(text))
                                   .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    for (const char c : dumped) {
        if (c == '<')
            out += "\\u003c";
        else if (c == '>')
            out += "\\u003e";
        else if (c == '&')
            out += "\\u0026";
        else
            out += c;
    }
}

void AppendJsonInt(std::string& out, int64_t value)
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

void AppendJsonFloat(std::string& out, float value)
{
    if (!std::isfinite(value)) value = 0;
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

}  // namespace codeburg
