// Scans arbitrary bytes as a source file: the tokenizer and both classifiers
// (lines, then classes and methods) in C, Java and assembler modes. For C and
// Java each method rule runs under both drivers, which must agree on every
// figure, and the two rules must keep the property of
// analysis/rule_difference_test_util.h wherever brackets pair up.
//
// Input: one control byte, then the file. The control byte picks the language
// (its value modulo 3: C, Java, assembler) and the method length limit (the
// rest, 0 to 63). The file is scanned from an exact heap copy, so a read one
// byte past its end is caught.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "analysis/rule_difference_test_util.h"
#include "analysis/scan_figures_test_util.h"
#include "analysis/source_scanner.h"
#include "records/file_stats.h"

namespace {

using namespace codeburg;

void CheckScan(const char* text, size_t length, ScanLanguage language, int32_t limit,
               MethodRule rule)
{
    FileStats stats("fuzz.cpp", limit, uint32_t{0});
    if (ScanBuffer(stats, text, length, language, rule) != 0) std::abort();  // under the cap

    // Properties every scan keeps, whatever it read.
    if (stats.lines < 0 || stats.emptyLines < 0 || stats.commentLines < 0 || stats.asserts < 0 ||
        stats.methodElocSum < 0 || stats.maxMethodEloc < 0 || stats.skippedBodies < 0)
        std::abort();
    for (size_t i = 0; i < stats.methods.size(); ++i) {
        const MethodStats& m = *stats.methods[i];
        if (m.file != &stats || m.eloc < 0 || m.paramCount < 0) std::abort();
        if (i > 0 && stats.methods[i - 1]->eloc < m.eloc) std::abort();  // largest first
        if (m.eloc > stats.maxMethodEloc) std::abort();
    }
    for (const auto& cls : stats.classes)
        if (cls->file != &stats || cls->name.empty()) std::abort();
    if (rule == MethodRule::Modern && stats.skippedBodies != 0) std::abort();

    if (language == ScanLanguage::Assembler) return;
    FileStats plain("fuzz.cpp", limit, uint32_t{0});
    if (ScanBufferTokenByToken(plain, text, length, language, rule) != 0) std::abort();
    if (testing::ScanFigures(plain) != testing::ScanFigures(stats)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    constexpr ScanLanguage kLanguages[] = {ScanLanguage::C, ScanLanguage::Java,
                                           ScanLanguage::Assembler};
    const ScanLanguage language = kLanguages[data[0] % 3];
    const int32_t limit = data[0] / 4;
    const size_t length = size - 1;
    const std::unique_ptr<char[]> text(new char[length]);
    std::copy(data + 1, data + size, text.get());

    CheckScan(text.get(), length, language, limit, MethodRule::Classic);
    CheckScan(text.get(), length, language, limit, MethodRule::Modern);
    if (language != ScanLanguage::Assembler) {
        const testing::RuleDifference d =
            testing::CompareRules(std::string_view(text.get(), length), language);
        if (!d.violations.empty()) {
            std::fprintf(stderr, "%s\n", d.violations.front().c_str());
            std::abort();
        }
    }
    return 0;
}
