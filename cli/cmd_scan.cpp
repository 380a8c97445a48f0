#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "analysis/source_scanner.h"
#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/scan_json.h"
#include "platform/path_util.h"
#include "records/file_stats.h"

namespace codeburg::cli {

namespace {

int UsageError(const std::string& message)
{
    std::fprintf(stderr,
                 "codeburg-cli: %s\nusage: codeburg-cli scan [--linecount N] "
                 "[--methods classic|modern] FILE...\n",
                 message.c_str());
    return 2;
}

// Scans the files on every core, the calling thread included, and prints
// them in command-line order. Each worker formats its own file's JSON; whoever
// finds the printer free prints every record that is ready in order, so no
// thread waits for another and none only prints.
class OrderedScan {
public:
    OrderedScan(const std::vector<std::string>& paths, int32_t lineCount, MethodRule rule)
        : m_paths(paths),
          m_lineCount(lineCount),
          m_rule(rule),
          m_text(paths.size()),
          m_failed(paths.size()),
          m_ready(new std::atomic<bool>[paths.size()]())
    {
    }

    // Returns 0, or 1 when a file could not be read or the output not written.
    int Run()
    {
        m_out = "{\"files\": [";
        const unsigned hardware = std::max(1u, std::thread::hardware_concurrency());
        const size_t threads = std::min<size_t>(hardware, m_paths.size());
        std::vector<std::thread> pool;
        for (size_t i = 1; i < threads; ++i) {
            try {
                pool.emplace_back([this] { Work(); });
            } catch (const std::system_error&) {
                break;  // fewer threads only means a slower scan
            }
        }
        Work();
        for (auto& t : pool) t.join();
        PrintReady();  // what was finished while another thread printed
        m_out += "\n]}\n";
        Flush();
        if (std::fflush(stdout) != 0 || m_writeFailed) {
            std::fprintf(stderr, "codeburg-cli: cannot write the output\n");
            return 1;
        }
        return m_anyFailed ? 1 : 0;
    }

private:
    void Work()
    {
        std::vector<char> buffer;  // reused: one allocation per thread, not per file
        for (size_t i; (i = m_next.fetch_add(1)) < m_paths.size();) {
            FileStats stats(LastPathComponent(m_paths[i]), m_lineCount, uint32_t{0});
            std::string text, reason;
            size_t size = 0;
            if (ReadSourceFile(m_paths[i], buffer, size, &reason) &&
                ScanBuffer(stats, buffer.data(), size, LanguageForPath(m_paths[i]), m_rule) == 0) {
                AppendScanRecord(text, m_paths[i], stats);
            } else {
                AppendScanError(text, m_paths[i]);
                m_failed[i] = reason.empty() ? "it cannot be read" : std::move(reason);
            }
            m_text[i] = std::move(text);
            m_ready[i].store(true, std::memory_order_release);
            if (m_printer.try_lock()) {
                PrintReady();
                m_printer.unlock();
            }
        }
    }

    // Called with the printer held, or after all workers have ended.
    void PrintReady()
    {
        for (; m_printed < m_paths.size() && m_ready[m_printed].load(std::memory_order_acquire);
             ++m_printed) {
            const size_t i = m_printed;
            if (i > 0) m_out += ',';
            m_out += "\n  ";
            m_out += m_text[i];
            std::string().swap(m_text[i]);  // printed records are not kept
            if (!m_failed[i].empty()) {
                std::fprintf(stderr, "codeburg-cli: cannot read file '%s': %s\n",
                             m_paths[i].c_str(), m_failed[i].c_str());
                m_anyFailed = true;
            }
            if (m_out.size() > (1u << 20)) Flush();
        }
    }

    void Flush()
    {
        if (std::fwrite(m_out.data(), 1, m_out.size(), stdout) != m_out.size())
            m_writeFailed = true;
        m_out.clear();
    }

    const std::vector<std::string>& m_paths;
    const int32_t m_lineCount;
    const MethodRule m_rule;
    std::vector<std::string> m_text;    // a record's JSON from its scan until it is printed
    std::vector<std::string> m_failed;  // why a file could not be read; empty when it could
    std::unique_ptr<std::atomic<bool>[]> m_ready;
    std::atomic<size_t> m_next{0};
    std::mutex m_printer;
    // Printer state, used by the holder of m_printer only.
    size_t m_printed = 0;
    std::string m_out;
    bool m_anyFailed = false;
    bool m_writeFailed = false;
};

}  // namespace

int RunScan(int argc, char** argv)
{
    const Parsed<ScanArgs> parsed = ParseScanArgs(ToArgList(argc, argv));
    if (!parsed.ok()) return UsageError(parsed.error);
    const ScanArgs& args = parsed.options;
    return OrderedScan(args.paths, args.lineCount, args.methods).Run();
}

}  // namespace codeburg::cli
