#pragma once

// The argument parsers of codeburg-cli's commands. They touch no file, print
// nothing and never exit, so any argument vector can be fed to them; the
// commands print the error text and decide the exit status.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ci/gates.h"
#include "ci/report_formats.h"
#include "records/method_rule.h"
#include "report/city_framing.h"

namespace codeburg::cli {

// The arguments after a command's own name.
using ArgList = std::vector<std::string_view>;

ArgList ToArgList(int argc, char** argv);

// Options when "error" is empty, otherwise the text of a usage error.
template <typename Options>
struct Parsed {
    Options options;
    std::string error;
    bool ok() const { return error.empty(); }
};

// scan [--linecount N] [--methods classic|modern] [--] FILE...
struct ScanArgs {
    int32_t lineCount = 25;
    MethodRule methods = MethodRule::Classic;
    std::vector<std::string> paths;
};
Parsed<ScanArgs> ParseScanArgs(const ArgList& args);

// What build, show and diff report and where to: [--format F] [--json]
// [--output FILE] [--max-params N] [--min-comments P].
struct ReportArgs {
    OutputFormat format = OutputFormat::kText;
    std::string output;  // empty: standard output
    std::optional<int32_t> maxParams;
    std::optional<double> minComments;
};

// build DIR [--name NAME] [--ext LIST] [--exclude-dirs LIST] [--exclude-files LIST]
//       [--linecount N] [--methods classic|modern] [--force] [--json] [--sequential]
//       [--min-score P] [--baseline OLD.cbb --fail-on LIST] [report arguments]
struct BuildArgs {
    std::string directory;
    std::optional<std::string> name;
    std::string extensions = "cpp,cc,java,asm";
    std::string excludedDirs;
    std::string excludedFiles = "stdafx.cpp";
    std::optional<int> lineCount;
    MethodRule methods = MethodRule::Classic;
    bool force = false;
    bool json = false;
    bool sequential = false;
    std::optional<double> minScore;
    std::string baseline;
    std::vector<Gate> failOn;
    ReportArgs report;
};
Parsed<BuildArgs> ParseBuildArgs(const ArgList& args);

// show FILE.cbb [--linecount N] [--baseline OLD.cbb] [report arguments]. The
// error text is the command's usage line.
struct ShowArgs {
    std::string path;
    bool json = false;
    std::optional<int> lineCount;
    std::string baseline;
    ReportArgs report;
};
Parsed<ShowArgs> ParseShowArgs(const ArgList& args);

// diff OLD NEW [--fail-on LIST] [--linecount N] [--ext LIST] [--methods R]
//      [report arguments]; each of OLD and NEW a statistics file or a directory.
struct DiffArgs {
    std::string oldPath, newPath;
    std::vector<Gate> failOn;
    std::optional<int> lineCount;
    std::string extensions = "cpp,cc,java,asm";
    MethodRule methods = MethodRule::Classic;
    ReportArgs report;
};
Parsed<DiffArgs> ParseDiffArgs(const ArgList& args);

// snapshot (DIR | FILE.cbb | FILE.cbw --project NAME) OUT.jpg [options]
struct SnapshotArgs {
    std::string source;
    std::string output;
    std::string project;
    int width = 1280;
    int height = 720;
    int mode = 0;
    std::optional<int> quality;
    std::optional<std::string> viewpoint;
    bool map = false;  // the older spelling of --view classic-map
    SnapshotView view = SnapshotView::Overview;
    bool viewGiven = false;
    bool legend = true;
    std::optional<std::string> compare;  // an older statistics file: colour by change
    bool help = false;                   // the rest of the arguments was not looked at
};
// An unknown argument starting with '-' is still a source or output when
// "isFile" says a file of that name exists.
Parsed<SnapshotArgs> ParseSnapshotArgs(const ArgList& args,
                                       const std::function<bool(const std::string&)>& isFile);

// report (DIR | FILE.cbb | FILE.cbw --project NAME) OUT.html [--mode 0..3] [--compare OLD.cbb]
// export (DIR | FILE.cbb | FILE.cbw --project NAME) OUT.glb [--mode 0..3] [--compare OLD.cbb]
struct OutputArgs {
    std::string source;
    std::string output;
    std::string project;
    int mode = 0;
    std::optional<std::string> compare;  // an older statistics file
    bool help = false;                   // the rest of the arguments was not looked at
};
// "command" names the command in the error texts.
Parsed<OutputArgs> ParseOutputArgs(std::string_view command, const ArgList& args,
                                   const std::function<bool(const std::string&)>& isFile);

// workspace FILE.cbw [--missing keep|drop|ask] [--no-wait] COMMAND ARGS...:
// the command's own arguments are parsed by ParseWorkspaceCommandArgs.
struct WorkspaceArgs {
    std::string missing = "keep";
    bool noWait = false;  // fail at once when another command holds the file
    std::string path;
    std::string command;
    ArgList rest;  // views into the arguments given
};
Parsed<WorkspaceArgs> ParseWorkspaceArgs(const ArgList& args);

enum class WorkspaceCommand { Init, Add, Build, Rebuild, Show };

struct WorkspaceCommandArgs {
    WorkspaceCommand command = WorkspaceCommand::Init;
    std::string directory;  // add
    std::optional<std::string> folder, name, extensions, excludedDirs, excludedFiles, developer;
    MethodRule methods = MethodRule::Classic;  // add
    bool json = false;                         // show
};
Parsed<WorkspaceCommandArgs> ParseWorkspaceCommandArgs(std::string_view command,
                                                       const ArgList& args);

}  // namespace codeburg::cli
