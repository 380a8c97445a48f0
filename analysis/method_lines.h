#pragma once

// The part of the C, C++ and Java scan that every method rule shares: the
// line classes of the file and the figures of the method being read. A rule
// derives from MethodLines, decides where bodies start and end, and calls
// StartMethod and FinishMethod there. Used by the scanner's drivers only.
#include <cstdint>
#include <string_view>

#include "analysis/source_scanner.h"
#include "analysis/source_tokenizer.h"
#include "records/file_stats.h"

namespace codeburg {

// Signature names whose braces open message maps, run-time class macros or
// dialog data exchange rather than a method worth measuring.
inline bool IsExcludedSignature(std::string_view name)
{
    return name == "BEGIN_MESSAGE_MAP" || name == "IMPLEMENT_DYNCREATE" ||
           name == "IMPLEMENT_DYNAMIC" || name == "DoDataExchange";
}

// The counters of a whole file, kept apart from the record while scanning so
// that the hot loop works on locals. Bounded by the scanned size, so the
// 32-bit counters cannot overflow (see kMaxScanBytes).
struct FileCounts {
    int32_t lines = 0;
    int32_t emptyLines = 0;
    int32_t commentLines = 0;
    int32_t asserts = 0;
    int32_t includes = 0;
    int32_t skippedBodies = 0;

    void StoreIn(FileStats& stats, const SourceTokenizer& tokens) const
    {
        stats.lines = lines;
        stats.emptyLines = emptyLines;
        stats.commentLines = commentLines;
        stats.asserts = asserts;
        stats.includes = includes;
        stats.skippedBodies = skippedBodies;
        stats.blockCommentLines = tokens.blockCommentLines();
    }
};

class MethodLines {
public:
    MethodLines(FileStats& stats, FileCounts& file) : m_stats(stats), m_file(file) {}

    // Records bodies (and, for rules that tell, braces) into "trace", which
    // may be null; offsets count from "begin", the first byte of the file.
    void SetTrace(ScanTrace* trace, const char* begin)
    {
        m_trace = trace;
        m_begin = begin;
    }

    // "at" is the first byte of a token that makes its line a code line.
    void Code(const char*) { m_lineBlank = false; }
    void Import() { ++m_file.includes; }

    void Newline(bool separator)
    {
        ++m_file.lines;
        if (m_lineBlank) {
            ++m_file.emptyLines;
            if (m_inMethod) ++m_methodEmptyLines;
        } else if (m_inMethod) {
            if (!m_commentOnly) {
                ++m_methodLines;
            } else if (!separator) {
                ++m_methodCommentLines;
            } else {
                // The comment stays counted for the file, as an empty line too.
                ++m_file.emptyLines;
                ++m_methodEmptyLines;
            }
        } else if (m_commentOnly) {
            if (!separator) {
                ++m_headerComments;
            } else {
                ++m_file.emptyLines;
                --m_file.commentLines;
            }
        }
        m_lineBlank = true;
        m_commentOnly = false;
    }

    void LineComment()
    {
        if (m_lineBlank) m_commentOnly = true;
        m_lineBlank = false;
        ++m_file.commentLines;
        if (!m_commentOnly) ++m_trailingComments;
    }

    void Directive(bool include, int32_t continuations)
    {
        m_lineBlank = false;
        if (include) ++m_file.includes;
        m_file.lines += continuations;
        if (m_inMethod)
            m_methodLines += continuations;
        else
            m_headerComments = 0;
    }

    // After a parameter list from "open" up to "end" was read past.
    void NoteReadPast(const char* open, const char* end)
    {
        if (m_trace) m_trace->readPast.push_back({Offset(open), Offset(end)});
    }

    // The final line break does not open another line.
    void End(bool lastTokenWasNewline)
    {
        if (lastTokenWasNewline) --m_file.lines;
    }

protected:
    // An assertion call counts inside a method only.
    void CountAssert(std::string_view word)
    {
        if (IsAssertKeyword(word)) {
            ++m_file.asserts;
            ++m_methodAsserts;
        }
    }

    // A statement end outside a method forgets the comments above it.
    void StatementEnd()
    {
        if (!m_inMethod) m_headerComments = 0;
    }

    void StartMethod(std::string_view className, std::string_view methodName, int32_t params,
                     const char* brace, const char* signature)
    {
        m_inMethod = true;
        MethodStats* method = m_stats.AddMethod(className, methodName, params);
        // Offsets + 1 until the scan turns them into line numbers.
        method->line = static_cast<int32_t>(Offset(signature ? signature : brace)) + 1;
        if (m_trace)
            m_trace->bodies.push_back(
                {method, Offset(brace), ScanTrace::kOpen, Offset(signature), m_headerComments});
        m_methodCommentLines = m_methodEmptyLines = m_methodAsserts = m_trailingComments = 0;
        // A brace that ends a code line: that line's break brings it to 0.
        m_methodLines = m_lineBlank ? 0 : -1;
    }

    void FinishMethod(const char* brace)
    {
        m_inMethod = false;
        if (m_trace) m_trace->bodies.back().close = Offset(brace);
        m_stats.methods.back()->endLine = static_cast<int32_t>(Offset(brace)) + 1;
        const int64_t comments =
            int64_t{m_trailingComments} + m_headerComments + m_methodCommentLines;
        const int64_t eloc = int64_t{m_methodLines} - m_methodAsserts;
        m_stats.FinishMethod(eloc > 0 ? static_cast<int32_t>(eloc) : 0,
                             static_cast<int32_t>(comments), m_methodAsserts, m_methodEmptyLines);
        m_headerComments = 0;
    }

    void NoteBrace(const char* brace, BraceReason reason)
    {
        if (m_trace) [[unlikely]]
            TraceBrace(brace, reason);
    }
    __attribute__((noinline)) void TraceBrace(const char* brace, BraceReason reason)
    {
        m_trace->braces.push_back({Offset(brace), reason});
    }
    size_t Offset(const char* p) const { return static_cast<size_t>(p - m_begin); }

    FileStats& m_stats;
    FileCounts& m_file;
    ScanTrace* m_trace = nullptr;
    const char* m_begin = nullptr;
    bool m_inMethod = false;
    // Line state.
    bool m_lineBlank = true;
    bool m_commentOnly = false;
    // Per-method counters; headerComments runs across methods.
    int32_t m_methodLines = 0;
    int32_t m_methodCommentLines = 0;
    int32_t m_methodEmptyLines = 0;
    int32_t m_methodAsserts = 0;
    int32_t m_trailingComments = 0;
    int32_t m_headerComments = 0;
};

}  // namespace codeburg
