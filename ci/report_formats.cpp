#include "ci/report_formats.h"

#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>

#include "records/file_stats.h"
#include "records/project_stats.h"
#include "scoring/scoring_topic.h"

namespace codeburg {

namespace {

using Json = nlohmann::ordered_json;

std::string Dump(const Json& json, int indent)
{
    return json.dump(indent, ' ', false, Json::error_handler_t::replace) + "\n";
}

// Appends the UTF-8 sequence at "text[i]" and moves "i" past it, or U+FFFD
// for a byte that starts no valid sequence (or one XML forbids).
void AppendChecked(std::string& out, std::string_view text, size_t& i)
{
    static constexpr char kReplacement[] = "\xEF\xBF\xBD";
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = byte(i);
    size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    bool valid = length > 0 && i + length <= text.size();
    for (size_t k = 1; valid && k < length; ++k) valid = (byte(i + k) & 0xC0) == 0x80;
    if (valid && length > 1) {
        uint32_t code = c & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) code = (code << 6) | (byte(i + k) & 0x3F);
        static constexpr uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        valid = code >= kMin[length] && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF) &&
                code != 0xFFFE && code != 0xFFFF;
    }
    if (valid && length == 1) valid = c >= 0x20 || c == '\t' || c == '\n' || c == '\r';
    if (!valid) {
        out += kReplacement;
        ++i;
        return;
    }
    out.append(text.substr(i, length));
    i += length;
}

// Text for an XML attribute or element: escaped, and valid UTF-8 of
// characters XML allows.
std::string Xml(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        switch (text[i]) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            case '\n':
                out += "&#10;";
                break;
            case '\r':
                out += "&#13;";
                break;
            case '\t':
                out += "&#9;";
                break;
            default:
                AppendChecked(out, text, i);
                continue;
        }
        ++i;
    }
    return out;
}

// A JSON string: copied as it stands when it is printable ASCII, else
// through the library, which escapes it and repairs broken UTF-8.
void AppendJsonString(std::string& out, std::string_view text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x80 || c == '"' || c == '\\') {
            out += Json(std::string(text)).dump(-1, ' ', false, Json::error_handler_t::replace);
            return;
        }
    }
    out += '"';
    out += text;
    out += '"';
}

std::string MethodTitle(const MethodKey& key)
{
    return key.className.empty() ? key.name : key.className + "::" + key.name;
}

// GitHub's workflow commands: "%", CR and LF escaped in the message, and
// ":" and "," too in a property.
std::string CommandEscape(std::string_view text, bool property)
{
    std::string out;
    for (const char c : text) {
        if (c == '%')
            out += "%25";
        else if (c == '\r')
            out += "%0D";
        else if (c == '\n')
            out += "%0A";
        else if (property && c == ':')
            out += "%3A";
        else if (property && c == ',')
            out += "%2C";
        else
            out += c;
    }
    return out;
}

std::string CsvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

int RuleIndex(FindingRule rule)
{
    for (size_t i = 0; i < std::size(kAllRules); ++i)
        if (kAllRules[i] == rule) return static_cast<int>(i);
    return 0;
}

}  // namespace

std::optional<OutputFormat> ParseOutputFormat(std::string_view name)
{
    static const std::pair<std::string_view, OutputFormat> kNames[] = {
        {"text", OutputFormat::kText},
        {"json", OutputFormat::kJson},
        {"sarif", OutputFormat::kSarif},
        {"junit", OutputFormat::kJunit},
        {"checkstyle", OutputFormat::kCheckstyle},
        {"codeclimate", OutputFormat::kCodeClimate},
        {"github", OutputFormat::kGithub},
        {"csv", OutputFormat::kCsv}};
    for (const auto& [text, format] : kNames)
        if (text == name) return format;
    return std::nullopt;
}

std::string RelativeUri(std::string_view path)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string uri;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
                                c == '~' || c == '/';
        if (unreserved) {
            uri += c;
        } else {
            uri += '%';
            uri += kDigits[byte >> 4];
            uri += kDigits[byte & 15];
        }
    }
    return uri;
}

std::string ResultFingerprint(const Finding& finding)
{
    MethodKey key = finding.key;
    key.name += '#';
    key.name += RuleId(finding.rule);
    return Fingerprint(key);
}

std::string SarifReport(const FindingsReport& input)
{
    // By hand rather than through a JSON tree: a large code base has tens of
    // thousands of results, and the tree would cost most of the time.
    Json rules = Json::array();
    for (const FindingRule rule : kAllRules)
        rules.push_back({{"id", RuleId(rule)},
                         {"shortDescription", {{"text", RuleDescription(rule)}}},
                         {"defaultConfiguration", {{"level", "warning"}}}});
    Json driver = {{"name", "codeburg"}, {"version", input.toolVersion}, {"rules", rules}};
    std::string out =
        "{\n  \"$schema\": \"https://json.schemastore.org/sarif-2.1.0.json\",\n"
        "  \"version\": \"2.1.0\",\n  \"runs\": [\n    {\n      \"tool\": {\"driver\": ";
    out += driver.dump(-1, ' ', false, Json::error_handler_t::replace);
    out += "},\n";
    if (input.stats && !input.stats->directory.empty()) {
        std::string root = input.stats->directory;
        if (root.back() != '/') root += '/';
        out += "      \"originalUriBaseIds\": {\"%SRCROOT%\": {\"uri\": ";
        AppendJsonString(out, "file://" + RelativeUri(root));
        out += "}},\n";
    }
    out += "      \"columnKind\": \"utf16CodeUnits\",\n      \"results\": [";
    for (size_t i = 0; i < input.findings.size(); ++i) {
        const Finding& f = input.findings[i];
        out += i == 0 ? "\n        {" : ",\n        {";
        out += "\"ruleId\": \"";
        out += RuleId(f.rule);
        out += "\", \"ruleIndex\": " + std::to_string(RuleIndex(f.rule));
        out += ", \"level\": \"warning\", \"message\": {\"text\": ";
        AppendJsonString(out, f.message);
        out += "}, \"locations\": [{\"physicalLocation\": {\"artifactLocation\": {\"uri\": ";
        AppendJsonString(out, RelativeUri(f.key.path));
        out += ", \"uriBaseId\": \"%SRCROOT%\"}";
        if (f.line() > 0) {
            out += ", \"region\": {\"startLine\": " + std::to_string(f.line());
            if (f.endLine() >= f.line()) out += ", \"endLine\": " + std::to_string(f.endLine());
            out += "}";
        }
        out += "}";
        if (!f.key.name.empty()) {
            out += ", \"logicalLocations\": [{\"fullyQualifiedName\": ";
            AppendJsonString(out, MethodTitle(f.key));
            out += ", \"kind\": \"function\"}]";
        }
        out += "}], \"partialFingerprints\": {\"codeburgMethod/v1\": \"" + f.fingerprint() + "\"}";
        if (i < input.states.size()) {
            out += ", \"baselineState\": \"";
            out += BaselineStateName(input.states[i]);
            out += "\"";
        }
        out += "}";
    }
    out += input.findings.empty() ? "]\n    }\n  ]\n}\n" : "\n      ]\n    }\n  ]\n}\n";
    return out;
}

std::string JunitReport(const FindingsReport& input)
{
    // The findings of each method and of each file, by the record they name.
    std::multimap<const void*, const Finding*> byRecord;
    for (const Finding& f : input.findings)
        byRecord.emplace(f.method ? static_cast<const void*>(f.method) : f.file, &f);
    std::string suites;
    size_t tests = 0, failures = 0;
    for (const auto& file : input.stats->files) {
        const std::string& path = FileKeyPath(*file);
        std::string cases;
        size_t fileTests = 0, fileFailures = 0;
        auto addCase =
            [&](const std::string& name, int32_t line,
                const std::pair<std::multimap<const void*, const Finding*>::iterator,
                                std::multimap<const void*, const Finding*>::iterator>& found) {
                ++fileTests;
                cases += "    <testcase classname=\"" + Xml(path) + "\" name=\"" + Xml(name) +
                         "\" file=\"" + Xml(path) + "\"";
                if (line > 0) cases += " line=\"" + std::to_string(line) + "\"";
                if (found.first == found.second) {
                    cases += "/>\n";
                    return;
                }
                ++fileFailures;
                cases += ">\n";
                for (auto it = found.first; it != found.second; ++it)
                    cases += "      <failure type=\"" + std::string(RuleId(it->second->rule)) +
                             "\" message=\"" + Xml(it->second->message) + "\"/>\n";
                cases += "    </testcase>\n";
            };
        const auto fileFindings = byRecord.equal_range(file.get());
        if (fileFindings.first != fileFindings.second) addCase("(file)", 0, fileFindings);
        for (const auto& [method, key] : KeyedMethods(*file)) {
            std::string name = MethodTitle(key);
            if (key.rank > 0) name += " #" + std::to_string(key.rank + 1);
            addCase(name, method->line, byRecord.equal_range(method));
        }
        suites += "  <testsuite name=\"" + Xml(path) + "\" tests=\"" + std::to_string(fileTests) +
                  "\" failures=\"" + std::to_string(fileFailures) + "\">\n" + cases +
                  "  </testsuite>\n";
        tests += fileTests;
        failures += fileFailures;
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites name=\"codeburg\" tests=\"" +
           std::to_string(tests) + "\" failures=\"" + std::to_string(failures) + "\">\n" + suites +
           "</testsuites>\n";
}

std::string CheckstyleReport(const FindingsReport& input)
{
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<checkstyle version=\"4.3\">\n";
    const FileStats* open = nullptr;
    for (const Finding& f : input.findings) {
        if (f.file != open) {
            if (open) out += "  </file>\n";
            out += "  <file name=\"" + Xml(f.key.path) + "\">\n";
            open = f.file;
        }
        out += "    <error";
        if (f.line() > 0) out += " line=\"" + std::to_string(f.line()) + "\"";
        out += " severity=\"warning\" message=\"" + Xml(f.message) + "\" source=\"codeburg." +
               RuleId(f.rule) + "\"/>\n";
    }
    if (open) out += "  </file>\n";
    return out + "</checkstyle>\n";
}

std::string CodeClimateReport(const FindingsReport& input)
{
    Json issues = Json::array();
    for (const Finding& f : input.findings) {
        // GitLab needs a line; a file's own finding, or an unknown line, is line 1.
        const int32_t line = f.line() > 0 ? f.line() : 1;
        issues.push_back({{"type", "issue"},
                          {"description", f.message},
                          {"check_name", RuleId(f.rule)},
                          {"categories", Json::array({"Complexity"})},
                          {"fingerprint", ResultFingerprint(f)},
                          {"severity", "minor"},
                          {"location", {{"path", f.key.path}, {"lines", {{"begin", line}}}}}});
    }
    return Dump(issues, 2);
}

std::string GithubReport(const FindingsReport& input)
{
    std::string out;
    for (const Finding& f : input.findings) {
        out += "::warning file=" + CommandEscape(f.key.path, true);
        if (f.line() > 0) {
            out += ",line=" + std::to_string(f.line());
            if (f.endLine() >= f.line()) out += ",endLine=" + std::to_string(f.endLine());
        }
        out += ",title=" + CommandEscape(RuleId(f.rule), true) +
               "::" + CommandEscape(f.message, false) + "\n";
    }
    return out;
}

std::string MethodsCsv(const ProjectStats& stats)
{
    std::string out = "path,class,method,line,parameters,eloc,comments,asserts,empty lines\n";
    for (const auto& file : stats.files) {
        const std::string path = CsvField(FileKeyPath(*file));
        for (const auto& [method, key] : KeyedMethods(*file)) {
            out += path + ',' + CsvField(method->className) + ',' + CsvField(method->methodName) +
                   ',' + (method->line > 0 ? std::to_string(method->line) : std::string()) + ',' +
                   std::to_string(method->paramCount) + ',' + std::to_string(method->eloc) + ',' +
                   std::to_string(method->commentLines) + ',' + std::to_string(method->asserts) +
                   ',' + std::to_string(method->emptyLines) + '\n';
        }
    }
    return out;
}

std::string DiffText(const BuildDiff& diff)
{
    std::string out;
    char line[256];
    std::snprintf(line, sizeof line,
                  "files: %d added, %d removed, %d changed\n"
                  "methods: %d added, %d removed, %d changed\n",
                  diff.filesAdded, diff.filesRemoved, diff.filesChanged, diff.methodsAdded,
                  diff.methodsRemoved, diff.methodsChanged);
    out += line;
    for (const FileChange& file : diff.files)
        out += "  " + std::string(ChangeKindName(file.kind)) + " file " + file.path + "\n";
    for (const MethodPair& pair : diff.methods) {
        out += "  " + std::string(ChangeKindName(pair.kind)) + " method " + pair.key.path + " " +
               MethodTitle(pair.key);
        if (pair.kind == ChangeKind::kChanged) {
            const MethodStats& a = *pair.oldMethod;
            const MethodStats& b = *pair.newMethod;
            std::snprintf(
                line, sizeof line,
                ": eloc %d -> %d, parameters %d -> %d, comments %d -> %d, asserts %d -> %d", a.eloc,
                b.eloc, a.paramCount, b.paramCount, a.commentLines, b.commentLines, a.asserts,
                b.asserts);
            out += line;
        }
        out += "\n";
    }
    for (const TopicChange& topic : diff.topics) {
        std::snprintf(line, sizeof line, "  %-20s %10.2f -> %10.2f %-8s score %3d %% -> %3d %%\n",
                      topic.name.c_str(), static_cast<double>(topic.oldValue),
                      static_cast<double>(topic.newValue), topic.unit.c_str(),
                      ScorePercent(topic.oldScore), ScorePercent(topic.newScore));
        out += line;
    }
    std::snprintf(line, sizeof line, "OVERALL %d %% -> %d %%\n", ScorePercent(diff.oldScore),
                  ScorePercent(diff.newScore));
    return out + line;
}

std::string DiffJson(const BuildDiff& diff)
{
    auto figures = [](const MethodStats* m) -> Json {
        if (!m) return nullptr;
        return {{"eloc", m->eloc},
                {"paramCount", m->paramCount},
                {"commentLines", m->commentLines},
                {"asserts", m->asserts},
                {"line", m->line ? Json(m->line) : Json(nullptr)},
                {"endLine", m->endLine ? Json(m->endLine) : Json(nullptr)}};
    };
    Json files = Json::array();
    for (const FileChange& file : diff.files)
        files.push_back({{"path", file.path}, {"change", ChangeKindName(file.kind)}});
    Json methods = Json::array();
    for (const MethodPair& pair : diff.methods)
        methods.push_back({{"path", pair.key.path},
                           {"className", pair.key.className},
                           {"methodName", pair.key.name},
                           {"rank", pair.key.rank},
                           {"fingerprint", Fingerprint(pair.key)},
                           {"change", ChangeKindName(pair.kind)},
                           {"old", figures(pair.oldMethod)},
                           {"new", figures(pair.newMethod)}});
    Json topics = Json::array();
    for (const TopicChange& topic : diff.topics)
        topics.push_back({{"name", topic.name},
                          {"unit", topic.unit},
                          {"oldValue", topic.oldValue},
                          {"newValue", topic.newValue},
                          {"oldScore", topic.oldScore},
                          {"newScore", topic.newScore}});
    return Dump({{"files", std::move(files)},
                 {"methods", std::move(methods)},
                 {"summary",
                  {{"filesAdded", diff.filesAdded},
                   {"filesRemoved", diff.filesRemoved},
                   {"filesChanged", diff.filesChanged},
                   {"methodsAdded", diff.methodsAdded},
                   {"methodsRemoved", diff.methodsRemoved},
                   {"methodsChanged", diff.methodsChanged}}},
                 {"topics", std::move(topics)},
                 {"overall",
                  {{"oldScore", diff.oldScore},
                   {"newScore", diff.newScore},
                   {"oldPercent", ScorePercent(diff.oldScore)},
                   {"newPercent", ScorePercent(diff.newScore)}}}},
                2);
}

}  // namespace codeburg
