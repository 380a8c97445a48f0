#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "analysis/file_stats.h"
#include "analysis/source_scanner.h"
#include "cli/cli_args.h"
#include "cli/commands.h"
#include "platform/path_util.h"

namespace codeburg::cli {

namespace {

using Json = nlohmann::ordered_json;  // keys in the order the records list them

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "codeburg-cli: %s\nusage: codeburg-cli scan [--linecount N] FILE...\n",
                 message.c_str());
    return 2;
}

// Formats records as JSON. The two objects are built once and refilled for
// every file and method, so a method costs one dump rather than a dozen
// allocations. Names are bytes, not necessarily UTF-8: what JSON cannot carry
// is replaced.
class ScanJson {
public:
    ScanJson()
    {
        for (const char* key :
             {"path", "name", "lines", "emptyLines", "commentLines", "asserts", "blockCommentLines",
              "includes", "constructors", "methodElocSum", "maxMethodEloc", "elocWithinLimit",
              "elocOverLimit", "methodLengthLimit"})
            m_file[key] = 0;
        m_file["path"] = m_file["name"] = "";
        m_file["classes"] = Json::array();
        m_file["methods"] = Json::array();  // last: its methods are appended one by one
        for (const char* key : {"className", "methodName", "paramCount", "eloc", "commentLines",
                                "asserts", "emptyLines"})
            m_method[key] = 0;
        m_method["className"] = m_method["methodName"] = "";
    }

    void AppendFile(std::string& out, const std::string& path, const FileStats& f)
    {
        auto v = m_file.begin();
        (v++)->get_ref<std::string&>() = path;
        (v++)->get_ref<std::string&>() = f.name;
        for (int32_t figure :
             {f.lines, f.emptyLines, f.commentLines, f.asserts, f.blockCommentLines, f.includes,
              f.constructors, f.methodElocSum, f.maxMethodEloc, f.elocWithinLimit, f.elocOverLimit,
              f.methodLengthLimit})
            *v++ = figure;
        Json& classes = *v;
        classes.clear();
        for (const auto& cls : f.classes) classes.push_back(cls->name);

        std::string text = Dump(m_file);
        text.resize(text.size() - 2);  // reopen the empty "methods" array: drop "]}"
        out += text;
        for (size_t i = 0; i < f.methods.size(); ++i) {
            const MethodStats& m = *f.methods[i];
            auto w = m_method.begin();
            (w++)->get_ref<std::string&>() = m.className;
            (w++)->get_ref<std::string&>() = m.methodName;
            for (int32_t figure : {m.paramCount, m.eloc, m.commentLines, m.asserts, m.emptyLines})
                *w++ = figure;
            if (i > 0) out += ',';
            out += Dump(m_method);
        }
        out += "]}";
    }

    static void AppendError(std::string& out, const std::string& path)
    {
        out += Dump(Json{{"path", path}, {"error", 1}});
    }

private:
    static std::string Dump(const Json& value)
    {
        return value.dump(-1, ' ', false, Json::error_handler_t::replace);
    }

    Json m_file = Json::object();
    Json m_method = Json::object();
};

// Scans the files on worker threads while the calling thread prints them in
// command-line order as soon as each is done. A slot holds a record, or null
// when its file could not be read.
class ParallelScan {
public:
    ParallelScan(const std::vector<std::string>& paths, int32_t lineCount)
        : m_paths(paths), m_lineCount(lineCount), m_slots(paths.size()), m_done(paths.size())
    {
    }

    template <typename Print>
    void Run(Print print)
    {
        const unsigned hardware = std::max(1u, std::thread::hardware_concurrency());
        const size_t workers = std::min<size_t>(hardware, m_paths.size());
        std::vector<std::thread> pool;
        for (size_t i = 0; i < workers; ++i) pool.emplace_back([this] { Work(); });
        for (size_t i = 0; i < m_paths.size(); ++i) {
            {
                std::unique_lock lock(m_mutex);
                m_ready.wait(lock, [&] { return m_done[i] != 0; });
            }
            print(i, m_slots[i].get());
            m_slots[i].reset();  // printed records are not kept
        }
        for (auto& t : pool) t.join();
    }

private:
    void Work()
    {
        std::vector<char> buffer;  // reused: one allocation per thread, not per file
        for (size_t i; (i = m_next.fetch_add(1)) < m_paths.size();) {
            auto stats = std::make_unique<FileStats>(LastPathComponent(m_paths[i]), m_lineCount,
                                                     uint32_t{0});
            if (ScanFile(*stats, m_paths[i], buffer) != 0) stats.reset();
            {
                std::lock_guard lock(m_mutex);
                m_slots[i] = std::move(stats);
                m_done[i] = 1;
            }
            m_ready.notify_one();
        }
    }

    const std::vector<std::string>& m_paths;
    const int32_t m_lineCount;
    std::vector<std::unique_ptr<FileStats>> m_slots;
    std::vector<char> m_done;  // guarded by m_mutex
    std::atomic<size_t> m_next{0};
    std::mutex m_mutex;
    std::condition_variable m_ready;
};

}  // namespace

int RunScan(int argc, char** argv)
{
    const Parsed<ScanArgs> parsed = ParseScanArgs(ToArgList(argc, argv));
    if (!parsed.ok()) return UsageError(parsed.error);
    const std::vector<std::string>& paths = parsed.options.paths;
    const int32_t lineCount = parsed.options.lineCount;

    int status = 0;
    std::string text = "{\"files\": [";
    ScanJson json;
    ParallelScan scan(paths, lineCount);
    scan.Run([&](size_t i, const FileStats* stats) {
        if (i > 0) text += ',';
        text += "\n  ";
        if (stats) {
            json.AppendFile(text, paths[i], *stats);
        } else {
            ScanJson::AppendError(text, paths[i]);
            std::fprintf(stderr, "codeburg-cli: cannot read file '%s'\n", paths[i].c_str());
            status = 1;
        }
        if (text.size() > (1u << 20)) {
            std::fwrite(text.data(), 1, text.size(), stdout);
            text.clear();
        }
    });
    text += "\n]}\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "codeburg-cli: cannot write the output\n");
        return 1;
    }
    return status;
}

}  // namespace codeburg::cli
