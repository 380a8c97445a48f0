#include "cli/scan_json.h"

#include <charconv>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string_view>

#include "records/file_stats.h"

namespace codeburg::cli {

namespace {

// Almost every name is printable ASCII and is copied as it stands; anything
// else goes through the JSON library, so that escapes and repairs of broken
// UTF-8 stay exactly the library's.
void AppendString(std::string& out, std::string_view text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x80 || c == '"' || c == '\\') {
            out += nlohmann::json(std::string(text))
                       .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
            return;
        }
    }
    out += '"';
    out += text;
    out += '"';
}

void AppendInt(std::string& out, int32_t value)
{
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

// `,"key":` — every field but the first of an object.
void AppendKey(std::string& out, std::string_view key)
{
    out += ",\"";
    out += key;
    out += "\":";
}

void AppendField(std::string& out, std::string_view key, int32_t value)
{
    AppendKey(out, key);
    AppendInt(out, value);
}

}  // namespace

void AppendScanRecord(std::string& out, const std::string& path, const FileStats& f)
{
    out += "{\"path\":";
    AppendString(out, path);
    AppendKey(out, "name");
    AppendString(out, f.name);
    AppendField(out, "lines", f.lines);
    AppendField(out, "emptyLines", f.emptyLines);
    AppendField(out, "commentLines", f.commentLines);
    AppendField(out, "asserts", f.asserts);
    AppendField(out, "blockCommentLines", f.blockCommentLines);
    AppendField(out, "includes", f.includes);
    AppendField(out, "constructors", f.constructors);
    AppendField(out, "methodElocSum", f.methodElocSum);
    AppendField(out, "maxMethodEloc", f.maxMethodEloc);
    AppendField(out, "elocWithinLimit", f.elocWithinLimit);
    AppendField(out, "elocOverLimit", f.elocOverLimit);
    AppendField(out, "methodLengthLimit", f.methodLengthLimit);
    AppendKey(out, "classes");
    out += '[';
    for (size_t i = 0; i < f.classes.size(); ++i) {
        if (i > 0) out += ',';
        AppendString(out, f.classes[i]->name);
    }
    out += ']';
    AppendKey(out, "methods");
    out += '[';
    for (size_t i = 0; i < f.methods.size(); ++i) {
        const MethodStats& m = *f.methods[i];
        if (i > 0) out += ',';
        out += "{\"className\":";
        AppendString(out, m.className);
        AppendKey(out, "methodName");
        AppendString(out, m.methodName);
        AppendField(out, "paramCount", m.paramCount);
        AppendField(out, "eloc", m.eloc);
        AppendField(out, "commentLines", m.commentLines);
        AppendField(out, "asserts", m.asserts);
        AppendField(out, "emptyLines", m.emptyLines);
        AppendField(out, "line", m.line);
        AppendField(out, "endLine", m.endLine);
        out += '}';
    }
    out += "]}";
}

void AppendScanError(std::string& out, const std::string& path)
{
    out += "{\"path\":";
    AppendString(out, path);
    out += ",\"error\":1}";
}

}  // namespace codeburg::cli
