#pragma once

// Runs the real codeburg-cli binary (CODEBURG_CLI, set by CMake) the way a
// script would: arguments passed as they are, without a shell, standard input
// from /dev/null, both output streams captured apart.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace codeburg::testing {

struct CliRun {
    int status = -1;  // the exit status, -1 when the tool did not exit normally
    std::string out;
    std::string err;
};

namespace detail {

inline std::string ReadFromStart(FILE* file)
{
    std::string text;
    std::rewind(file);
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, n);
    return text;
}

}  // namespace detail

// Runs "codeburg-cli ARGS..." in "workingDirectory" (the test's own when empty).
// "inChild", when set, runs in the child just before the tool starts.
inline CliRun RunCli(const std::vector<std::string>& args, const std::string& workingDirectory = {},
                     void (*inChild)() = nullptr)
{
    CliRun run;
    // Files rather than pipes: a chatty tool cannot block on a full pipe.
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    if (!out || !err) {
        if (out) std::fclose(out);
        if (err) std::fclose(err);
        return run;
    }
    std::vector<std::string> argv{CODEBURG_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (std::string& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);

    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        if (in < 0 || ::dup2(in, STDIN_FILENO) < 0 || ::dup2(::fileno(out), STDOUT_FILENO) < 0 ||
            ::dup2(::fileno(err), STDERR_FILENO) < 0)
            ::_exit(127);
        if (!workingDirectory.empty() && ::chdir(workingDirectory.c_str()) != 0) ::_exit(127);
        if (inChild) inChild();
        ::execv(cargv[0], cargv.data());
        ::_exit(127);
    }
    if (pid > 0) {
        int raw = 0;
        if (::waitpid(pid, &raw, 0) == pid && WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
        run.out = detail::ReadFromStart(out);
        run.err = detail::ReadFromStart(err);
    }
    std::fclose(out);
    std::fclose(err);
    return run;
}

}  // namespace codeburg::testing
