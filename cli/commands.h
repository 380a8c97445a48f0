#pragma once

namespace codeburg::cli {

// Each command receives the arguments after its own name and returns the
// process exit status: 0 success, 1 failure, 2 usage error, 3 quality gate.
int RunScan(int argc, char** argv);
int RunBuild(int argc, char** argv);
int RunShow(int argc, char** argv);
int RunDiff(int argc, char** argv);
int RunWorkspace(int argc, char** argv);
int RunSnapshot(int argc, char** argv);
int RunReport(int argc, char** argv);
int RunExport(int argc, char** argv);

}  // namespace codeburg::cli
