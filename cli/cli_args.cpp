#include "cli/cli_args.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "city/viewpoint.h"

namespace codeburg::cli {

namespace {

template <typename Options>
Parsed<Options> Error(std::string text)
{
    Parsed<Options> result;
    result.error = std::move(text);
    return result;
}

// strtol and strtod need a terminated string; an argument view may not be one.
bool ParseLineCount(std::string_view text, int32_t& value)
{
    const std::string copy(text);
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(copy.c_str(), &end, 10);
    if (end == copy.c_str() || *end != '\0' || errno != 0 || parsed < 0 || parsed > INT32_MAX)
        return false;
    value = static_cast<int32_t>(parsed);
    return true;
}

bool ParseNumber(std::string_view text, double& value)
{
    const std::string copy(text);
    char* end = nullptr;
    value = std::strtod(copy.c_str(), &end);
    return end != copy.c_str() && *end == '\0';
}

std::optional<int> ParseInt(std::string_view text, int low, int high)
{
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    if (value < low || value > high) return std::nullopt;
    return value;
}

constexpr const char* kMethodsNeeds = "--methods takes classic or modern";

// Takes the report argument at args[i] (and its value); false when args[i]
// is none, with "error" set when it is one but malformed.
bool TakeReportArg(const ArgList& args, size_t& i, ReportArgs& o, std::string& error)
{
    const std::string_view a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--json") {
        o.format = OutputFormat::kJson;
    } else if (a == "--format") {
        const auto format = hasValue ? ParseOutputFormat(args[++i]) : std::nullopt;
        if (!format)
            error =
                "--format takes text, json, sarif, junit, checkstyle, codeclimate, github or csv";
        else
            o.format = *format;
    } else if (a == "--output") {
        if (!hasValue || args[i + 1].empty())
            error = "--output needs a file name";
        else
            o.output = args[++i];
    } else if (a == "--max-params") {
        int32_t value = 0;
        if (!hasValue || !ParseLineCount(args[++i], value))
            error = "--max-params needs a whole number from 0";
        else
            o.maxParams = value;
    } else if (a == "--min-comments") {
        double value = 0;
        if (!hasValue || !ParseNumber(args[++i], value) || !(value >= 0 && value <= 1e6))
            error = "--min-comments needs a percentage";
        else
            o.minComments = value;
    } else {
        return false;
    }
    return true;
}

// --fail-on LIST at args[i]; "error" set when malformed.
bool TakeFailOn(const ArgList& args, size_t& i, std::vector<Gate>& gates, std::string& error)
{
    if (args[i] != "--fail-on") return false;
    const auto parsed = i + 1 < args.size() ? ParseGates(args[++i]) : std::nullopt;
    if (!parsed)
        error = "--fail-on takes a list of score, new and worse";
    else
        gates = *parsed;
    return true;
}

}  // namespace

ArgList ToArgList(int argc, char** argv)
{
    return ArgList(argv, argv + std::max(argc, 0));
}

Parsed<ScanArgs> ParseScanArgs(const ArgList& args)
{
    Parsed<ScanArgs> result;
    ScanArgs& o = result.options;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            o.paths.emplace_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--linecount") {
            if (i + 1 >= args.size()) return Error<ScanArgs>("--linecount needs a value");
            if (!ParseLineCount(args[++i], o.lineCount))
                return Error<ScanArgs>("--linecount needs a whole number from 0");
        } else if (arg.starts_with("--linecount=")) {
            if (!ParseLineCount(arg.substr(12), o.lineCount))
                return Error<ScanArgs>("--linecount needs a whole number from 0");
        } else if (arg == "--methods" || arg.starts_with("--methods=")) {
            const bool joined = arg.size() > 9;
            if (!joined && i + 1 >= args.size()) return Error<ScanArgs>(kMethodsNeeds);
            const auto rule = ParseMethodRule(joined ? arg.substr(10) : args[++i]);
            if (!rule) return Error<ScanArgs>(kMethodsNeeds);
            o.methods = *rule;
        } else {
            // Printed as two messages of the tool, the second with the usage.
            return Error<ScanArgs>("unknown option '" + std::string(arg) +
                                   "'\ncodeburg-cli: scan takes only --linecount and --methods");
        }
    }
    if (o.paths.empty()) return Error<ScanArgs>("scan needs at least one file");
    return result;
}

Parsed<BuildArgs> ParseBuildArgs(const ArgList& args)
{
    Parsed<BuildArgs> result;
    BuildArgs& o = result.options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        const bool hasValue = i + 1 < args.size();
        auto value = [&]() { return std::string(args[++i]); };
        double number;
        std::string error;
        if (TakeReportArg(args, i, o.report, error) || TakeFailOn(args, i, o.failOn, error)) {
            if (!error.empty()) return Error<BuildArgs>(error);
            o.json = o.report.format == OutputFormat::kJson;
        } else if (a == "--force")
            o.force = true;
        else if (a == "--baseline" && hasValue)
            o.baseline = value();
        else if (a == "--sequential")
            o.sequential = true;
        else if (a == "--name" && hasValue)
            o.name = value();
        else if (a == "--ext" && hasValue)
            o.extensions = value();
        else if (a == "--exclude-dirs" && hasValue)
            o.excludedDirs = value();
        else if (a == "--exclude-files" && hasValue)
            o.excludedFiles = value();
        else if (a == "--methods" && hasValue) {
            const auto rule = ParseMethodRule(args[++i]);
            if (!rule) return Error<BuildArgs>(kMethodsNeeds);
            o.methods = *rule;
        } else if (a == "--linecount" && hasValue) {
            // Written so that "nan" fails the range test before it is converted.
            if (!ParseNumber(args[++i], number) || !(number >= 0 && number <= 1e6) ||
                number != static_cast<int>(number))
                return Error<BuildArgs>("--linecount needs a whole number");
            o.lineCount = static_cast<int>(number);
        } else if (a == "--min-score" && hasValue) {
            // A gate of "nan" would pass every score.
            if (!ParseNumber(args[++i], number) || !std::isfinite(number))
                return Error<BuildArgs>("--min-score needs a number");
            o.minScore = number;
        } else if (a.starts_with("--")) {
            return Error<BuildArgs>("unknown or incomplete option " + std::string(a));
        } else if (o.directory.empty()) {
            o.directory = a;
        } else {
            return Error<BuildArgs>("only one directory can be built");
        }
    }
    if (o.directory.empty()) return Error<BuildArgs>("no directory given");
    if (!o.failOn.empty() && o.baseline.empty())
        return Error<BuildArgs>("--fail-on needs --baseline");
    return result;
}

Parsed<ShowArgs> ParseShowArgs(const ArgList& args)
{
    constexpr const char* kUsage =
        "usage: codeburg-cli show FILE.cbb [--json] [--format F] [--output FILE]\n"
        "       [--linecount N] [--max-params N] [--min-comments P] [--baseline OLD.cbb]";
    Parsed<ShowArgs> result;
    ShowArgs& o = result.options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        std::string error;
        double number = 0;
        if (TakeReportArg(args, i, o.report, error)) {
            if (!error.empty()) return Error<ShowArgs>(error + "\n" + kUsage);
        } else if (a == "--baseline" && i + 1 < args.size()) {
            o.baseline = args[++i];
        } else if (a == "--linecount" && i + 1 < args.size()) {
            if (!ParseNumber(args[++i], number) || !(number >= 0 && number <= 1e6) ||
                number != static_cast<int>(number))
                return Error<ShowArgs>(std::string("--linecount needs a whole number\n") + kUsage);
            o.lineCount = static_cast<int>(number);
        } else if (a.starts_with("--") || !o.path.empty()) {
            return Error<ShowArgs>(kUsage);
        } else {
            o.path = a;
        }
    }
    if (o.path.empty()) return Error<ShowArgs>(kUsage);
    o.json = o.report.format == OutputFormat::kJson;
    return result;
}

Parsed<DiffArgs> ParseDiffArgs(const ArgList& args)
{
    Parsed<DiffArgs> result;
    DiffArgs& o = result.options;
    std::vector<std::string_view> paths;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        const bool hasValue = i + 1 < args.size();
        std::string error;
        double number = 0;
        if (TakeReportArg(args, i, o.report, error) || TakeFailOn(args, i, o.failOn, error)) {
            if (!error.empty()) return Error<DiffArgs>(error);
        } else if (a == "--ext" && hasValue) {
            o.extensions = args[++i];
        } else if (a == "--methods" && hasValue) {
            const auto rule = ParseMethodRule(args[++i]);
            if (!rule) return Error<DiffArgs>(kMethodsNeeds);
            o.methods = *rule;
        } else if (a == "--linecount" && hasValue) {
            if (!ParseNumber(args[++i], number) || !(number >= 0 && number <= 1e6) ||
                number != static_cast<int>(number))
                return Error<DiffArgs>("--linecount needs a whole number");
            o.lineCount = static_cast<int>(number);
        } else if (a.starts_with("--")) {
            return Error<DiffArgs>("unknown or incomplete option " + std::string(a));
        } else {
            paths.push_back(a);
        }
    }
    if (paths.size() != 2) return Error<DiffArgs>("diff needs two builds, OLD and NEW");
    o.oldPath = paths[0];
    o.newPath = paths[1];
    return result;
}

Parsed<SnapshotArgs> ParseSnapshotArgs(const ArgList& args,
                                       const std::function<bool(const std::string&)>& isFile)
{
    using E = SnapshotArgs;
    Parsed<SnapshotArgs> result;
    SnapshotArgs& o = result.options;
    std::vector<std::string_view> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 < args.size()) return args[++i];
            return std::nullopt;
        };
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            return result;
        } else if (arg == "--project") {
            const auto v = value();
            if (!v) return Error<E>("--project needs a project name");
            o.project = *v;
        } else if (arg == "--size") {
            const std::string_view text = value().value_or("");
            const size_t x = text.find_first_of("xX");
            const auto w = x == text.npos ? std::nullopt : ParseInt(text.substr(0, x), 1, 16384);
            const auto h = x == text.npos ? std::nullopt : ParseInt(text.substr(x + 1), 1, 16384);
            if (!w || !h)
                return Error<E>("--size needs WIDTHxHEIGHT, each 1 to 16384, e.g. 1280x720");
            o.width = *w;
            o.height = *h;
        } else if (arg == "--mode") {
            const auto v = value();
            const auto mode = v ? ParseInt(*v, 0, 3) : std::nullopt;
            if (!mode) return Error<E>("--mode needs a display mode from 0 to 3");
            o.mode = *mode;
        } else if (arg == "--quality") {
            const auto v = value();
            const auto quality = v ? ParseInt(*v, 1, 100) : std::nullopt;
            if (!quality) return Error<E>("--quality needs a JPEG quality from 1 to 100");
            o.quality = *quality;
        } else if (arg == "--viewpoint") {
            const auto v = value();
            if (!v) return Error<E>("--viewpoint needs a text X,Y,Z,PITCH,YAW");
            o.viewpoint = std::string(*v);
        } else if (arg == "--map") {
            o.map = true;
            o.view = SnapshotView::ClassicMap;
        } else if (arg == "--view") {
            const std::string_view v = value().value_or("");
            if (v == "overview")
                o.view = SnapshotView::Overview;
            else if (v == "map")
                o.view = SnapshotView::Map;
            else if (v == "classic-map")
                o.view = SnapshotView::ClassicMap;
            else
                return Error<E>("--view needs overview, map or classic-map");
            o.viewGiven = true;
        } else if (arg == "--no-legend") {
            o.legend = false;
        } else if (arg == "--compare") {
            const auto v = value();
            if (!v || v->empty()) return Error<E>("--compare needs an older statistics file");
            o.compare = std::string(*v);
        } else if (arg.size() > 1 && arg[0] == '-' && !isFile(std::string(arg))) {
            return Error<E>("unknown option '" + std::string(arg) + "'");
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2) return Error<E>("snapshot needs a source and an output file");
    o.source = positional[0];
    o.output = positional[1];
    if (o.map && o.viewpoint) return Error<E>("--viewpoint and --map exclude each other");
    if (o.viewGiven && (o.viewpoint || o.map))
        return Error<E>("--view excludes --viewpoint and --map");
    if (o.viewpoint && !ParseViewpoint(*o.viewpoint))
        return Error<E>("invalid viewpoint '" + *o.viewpoint +
                        "': expected five numbers X,Y,Z,PITCH,YAW");
    return result;
}

Parsed<OutputArgs> ParseOutputArgs(std::string_view command, const ArgList& args,
                                   const std::function<bool(const std::string&)>& isFile)
{
    using E = OutputArgs;
    Parsed<OutputArgs> result;
    OutputArgs& o = result.options;
    std::vector<std::string_view> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 < args.size()) return args[++i];
            return std::nullopt;
        };
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            return result;
        } else if (arg == "--project") {
            const auto v = value();
            if (!v) return Error<E>("--project needs a project name");
            o.project = *v;
        } else if (arg == "--mode") {
            const auto v = value();
            const auto mode = v ? ParseInt(*v, 0, 3) : std::nullopt;
            if (!mode) return Error<E>("--mode needs a display mode from 0 to 3");
            o.mode = *mode;
        } else if (arg == "--compare") {
            const auto v = value();
            if (!v || v->empty()) return Error<E>("--compare needs an older statistics file");
            o.compare = std::string(*v);
        } else if (arg.size() > 1 && arg[0] == '-' && !isFile(std::string(arg))) {
            return Error<E>("unknown option '" + std::string(arg) + "'");
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2)
        return Error<E>(std::string(command) + " needs a source and an output file");
    o.source = positional[0];
    o.output = positional[1];
    return result;
}

Parsed<WorkspaceArgs> ParseWorkspaceArgs(const ArgList& args)
{
    using E = WorkspaceArgs;
    Parsed<WorkspaceArgs> result;
    WorkspaceArgs& o = result.options;
    ArgList rest = args;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != "--missing") continue;
        if (i + 1 >= rest.size()) return Error<E>("option '--missing' needs a value");
        o.missing = rest[i + 1];
        rest.erase(rest.begin() + static_cast<long>(i), rest.begin() + static_cast<long>(i) + 2);
        break;
    }
    if (o.missing != "keep" && o.missing != "drop" && o.missing != "ask")
        return Error<E>("--missing takes keep, drop or ask");
    if (const auto at = std::find(rest.begin(), rest.end(), "--no-wait"); at != rest.end()) {
        o.noWait = true;
        rest.erase(at);
    }
    if (rest.size() < 2) return Error<E>("missing workspace file or command");
    o.path = rest[0];
    o.command = rest[1];
    o.rest.assign(rest.begin() + 2, rest.end());
    return result;
}

Parsed<WorkspaceCommandArgs> ParseWorkspaceCommandArgs(std::string_view command,
                                                       const ArgList& args)
{
    using E = WorkspaceCommandArgs;
    Parsed<WorkspaceCommandArgs> result;
    WorkspaceCommandArgs& o = result.options;
    if (command == "init" || command == "build" || command == "rebuild") {
        o.command = command == "init"    ? WorkspaceCommand::Init
                    : command == "build" ? WorkspaceCommand::Build
                                         : WorkspaceCommand::Rebuild;
        if (!args.empty()) return Error<E>("'" + std::string(command) + "' takes no arguments");
        return result;
    }
    if (command != "add" && command != "show")
        return Error<E>("unknown workspace command '" + std::string(command) + "'");

    // --name VALUE pairs, flags and positionals; an unknown or incomplete
    // option is a usage error. The last of a repeated option counts.
    const bool add = command == "add";
    o.command = add ? WorkspaceCommand::Add : WorkspaceCommand::Show;
    const std::pair<std::string_view, std::optional<std::string>*> valued[] = {
        {"--folder", &o.folder},
        {"--name", &o.name},
        {"--ext", &o.extensions},
        {"--exclude-dirs", &o.excludedDirs},
        {"--exclude-files", &o.excludedFiles},
        {"--dev", &o.developer}};
    std::vector<std::string_view> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if (!add && a == "--json") {
            o.json = true;
        } else if (add && a == "--methods") {
            const auto rule = i + 1 < args.size() ? ParseMethodRule(args[++i]) : std::nullopt;
            if (!rule) return Error<E>(kMethodsNeeds);
            o.methods = *rule;
        } else if (a.starts_with("--")) {
            auto known = std::find_if(std::begin(valued), std::end(valued),
                                      [&](const auto& v) { return v.first == a; });
            if (!add || known == std::end(valued))
                return Error<E>("unknown option '" + std::string(a) + "'");
            if (i + 1 >= args.size())
                return Error<E>("option '" + std::string(a) + "' needs a value");
            *known->second = std::string(args[++i]);
        } else {
            positional.push_back(a);
        }
    }
    if (!add) {
        if (!positional.empty()) return Error<E>("'show' takes no arguments");
        return result;
    }
    if (positional.size() != 1) return Error<E>("'add' needs exactly one directory");
    o.directory = positional[0];
    return result;
}

}  // namespace codeburg::cli
