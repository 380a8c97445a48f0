// Feeds arbitrary argument vectors to the argument parsers of codeburg-cli.
//
// Input: the arguments separated by NUL bytes, as a shell would pass them; the
// first picks the command (scan, build, show, snapshot or workspace), the rest
// go to its parser. Every argument is an exact heap copy, so a read past its
// end is caught. Whatever a parser accepts must be options the command can
// use as they are.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "city/viewpoint.h"
#include "cli/cli_args.h"

namespace {

using namespace codeburg::cli;

void Check(bool condition)
{
    if (!condition) std::abort();
}

bool IsOption(std::string_view text)
{
    return text.size() >= 2 && text[0] == '-' && text[1] == '-';
}

void CheckScan(const ArgList& args)
{
    const auto parsed = ParseScanArgs(args);
    if (!parsed.ok()) return;
    Check(!parsed.options.paths.empty() && parsed.options.lineCount >= 0);
}

void CheckBuild(const ArgList& args)
{
    const auto parsed = ParseBuildArgs(args);
    if (!parsed.ok()) return;
    const BuildArgs& o = parsed.options;
    Check(!o.directory.empty() && !IsOption(o.directory));
    if (o.lineCount) Check(*o.lineCount >= 0 && *o.lineCount <= 1000000);
    if (o.minScore) Check(std::isfinite(*o.minScore));
}

void CheckShow(const ArgList& args)
{
    const auto parsed = ParseShowArgs(args);
    if (!parsed.ok()) return;
    Check(!parsed.options.path.empty() && !IsOption(parsed.options.path));
}

void CheckSnapshot(const ArgList& args)
{
    // Stands in for the file system: names with a dot exist.
    const auto parsed = ParseSnapshotArgs(
        args, [](const std::string& name) { return name.find('.') != std::string::npos; });
    if (!parsed.ok() || parsed.options.help) return;
    const SnapshotArgs& o = parsed.options;
    Check(o.width >= 1 && o.width <= 16384 && o.height >= 1 && o.height <= 16384);
    Check(o.mode >= 0 && o.mode <= 3);
    if (o.quality) Check(*o.quality >= 1 && *o.quality <= 100);
    Check(!(o.map && o.viewpoint));
    if (o.viewGiven) Check(!o.map && !o.viewpoint);
    if (o.map) Check(o.view == codeburg::SnapshotView::ClassicMap);
    if (o.viewpoint) Check(codeburg::ParseViewpoint(*o.viewpoint).has_value());
}

void CheckWorkspace(const ArgList& args)
{
    const auto parsed = ParseWorkspaceArgs(args);
    if (!parsed.ok()) return;
    const WorkspaceArgs& o = parsed.options;
    Check(o.missing == "keep" || o.missing == "drop" || o.missing == "ask");
    Check(o.rest.size() + 2 <= args.size());
    const auto command = ParseWorkspaceCommandArgs(o.command, o.rest);
    if (!command.ok()) return;
    const WorkspaceCommand c = command.options.command;
    if (c != WorkspaceCommand::Add && c != WorkspaceCommand::Show) Check(o.rest.empty());
    if (c != WorkspaceCommand::Add) Check(!command.options.name && !command.options.folder);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::unique_ptr<char[]>> copies;
    ArgList args;
    for (size_t start = 0; start <= input.size();) {
        size_t end = input.find('\0', start);
        if (end == std::string_view::npos) end = input.size();
        const size_t length = end - start;
        copies.emplace_back(new char[length > 0 ? length : 1]);
        std::copy(input.begin() + start, input.begin() + end, copies.back().get());
        args.emplace_back(copies.back().get(), length);
        start = end + 1;
    }
    const std::string_view command = args.front();
    args.erase(args.begin());
    if (command == "scan")
        CheckScan(args);
    else if (command == "build")
        CheckBuild(args);
    else if (command == "show")
        CheckShow(args);
    else if (command == "snapshot")
        CheckSnapshot(args);
    else if (command == "workspace")
        CheckWorkspace(args);
    return 0;
}
