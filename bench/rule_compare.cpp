// Compares the classic and the modern method rule body by body over every
// matching file under a directory, and reports the property of
// analysis/rule_difference_test_util.h with its exceptions by class:
//   rule_compare DIR [--ext LIST] [--show N]
// Exit status 1 when any classic body breaks the property (the first N such
// bodies are printed with their file), else 0.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/rule_difference_test_util.h"
#include "analysis/source_scanner.h"
#include "platform/path_util.h"

namespace {

using namespace codeburg;

bool Matches(const std::filesystem::path& path, const std::string& list)
{
    std::string ext = ToLowerAscii(path.extension().string());
    if (ext.size() < 2) return false;
    ext.erase(0, 1);
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = std::min(list.find(',', start), list.size());
        if (list.compare(start, comma - start, ext) == 0) return true;
        start = comma + 1;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string dir, extensions = "c,cc,cpp,cxx,h,hh,hpp,hxx,java";
    size_t show = 10;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--ext" && i + 1 < argc)
            extensions = ToLowerAscii(argv[++i]);
        else if (arg == "--show" && i + 1 < argc)
            show = static_cast<size_t>(std::atoi(argv[++i]));
        else if (dir.empty() && arg.rfind("--", 0) != 0)
            dir = arg;
        else
            dir.clear(), argc = 0;
    }
    if (dir.empty()) {
        std::fprintf(stderr, "usage: rule_compare DIR [--ext LIST] [--show N]\n");
        return 2;
    }
    std::vector<std::string> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(dir, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if (it->is_regular_file(ec) && Matches(it->path(), extensions))
            files.push_back(it->path().string());
    std::sort(files.begin(), files.end());

    testing::RuleDifference total;
    size_t unbalancedFiles = 0, shown = 0;
    std::vector<char> buffer;
    for (const std::string& file : files) {
        size_t size = 0;
        if (!ReadSourceFile(file, buffer, size)) continue;
        const std::string_view text(buffer.data(), size);
        const ScanLanguage language = LanguageForPath(file);
        if (language == ScanLanguage::Assembler) continue;
        const testing::RuleDifference d = testing::CompareRules(text, language);
        if (!testing::BracketsPairUp(text)) ++unbalancedFiles;
        for (const std::string& v : d.violations)
            if (shown++ < show) std::printf("violation: %s: %s\n", file.c_str(), v.c_str());
        total.Add(d);
    }
    std::printf("files                 %zu (%zu whose brackets do not pair up)\n", files.size(),
                unbalancedFiles);
    std::printf("classic bodies        %zu\n", total.classicBodies);
    std::printf("modern bodies         %zu\n", total.modernBodies);
    std::printf("same figures          %zu\n", total.sameFigures);
    std::printf(
        "other header comments %zu beside a body one rule counts, %zu after "
        "parentheses one rule read past\n",
        total.otherHeaderComments, total.readPastHeaderComments);
    for (const auto& [name, count] : total.exceptions)
        std::printf("exception %-22s %zu\n", (name + ":").c_str(), count);
    std::printf("violations            %zu\n", total.violations.size());
    return total.violations.empty() ? 0 : 1;
}
