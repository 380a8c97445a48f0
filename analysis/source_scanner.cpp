#include "analysis/source_scanner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "analysis/method_lines.h"
#include "analysis/modern_rules.h"
#include "analysis/source_tokenizer.h"
#include "platform/safe_file.h"
#include "records/file_stats.h"

namespace codeburg {

namespace {

bool EndsWithNoCase(std::string_view text, std::string_view lowerSuffix)
{
    if (text.size() < lowerSuffix.size()) return false;
    const std::string_view tail = text.substr(text.size() - lowerSuffix.size());
    for (size_t i = 0; i < tail.size(); ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerSuffix[i]) return false;
    }
    return true;
}

// The classic rule: a body counts only at brace depth 0 (C, C++) or 1
// (Java). The line accounting and the method recognition share one pass. The
// rules see the tokens that have an effect of their own; every other token
// (a word, a comma, a string, any other byte) only makes its line a code
// line. Two drivers feed them: one token at a time, and one that skims 64
// bytes at a time and stops only at bytes that can start such a token. Both
// must give the same figures. Positions are those of the token's first byte;
// this rule has no use for them.
class CRules : public MethodLines {
public:
    CRules(FileStats& stats, FileCounts& file, bool java)
        : MethodLines(stats, file), m_methodDepth(java ? 1 : 0)
    {
    }

    static int32_t CountParameters(SourceTokenizer& tokens) { return tokens.CountParameters(); }

    void Scope(std::string_view word, const char*)
    {
        m_lineBlank = false;
        m_classCandidate = word;
    }

    // "countParameters" reads the parameter list up to its ")" when the
    // parenthesis may open a signature.
    template <typename CountParameters>
    void OpenParen(std::string_view word, const char* at, CountParameters countParameters)
    {
        m_lineBlank = false;
        if (m_inMethod) {
            CountAssert(word);
            ++m_parenDepth;
            return;
        }
        // An initialiser list (after a ":") keeps the signature; any other
        // call-like group replaces it.
        if (m_pending && !m_colonSeen) m_pending = false;
        if (m_parenDepth == 0 && !m_pending) {
            m_pendingClass = m_classCandidate;
            m_pendingName = word;
            m_pendingAt = at;
            m_pendingParams = countParameters();
            m_pending = true;
        } else {
            ++m_parenDepth;
        }
    }

    void CloseParen(const char*)
    {
        m_lineBlank = false;
        --m_parenDepth;
    }

    void Colon(const char*)
    {
        m_lineBlank = false;
        m_colonSeen = true;
    }

    void Semicolon(const char*)
    {
        m_lineBlank = false;
        m_classCandidate = {};
        m_pending = false;
        m_colonSeen = false;
        StatementEnd();
    }

    void OpenBrace(const char* at)
    {
        m_colonSeen = false;
        if (m_pending) {
            if (m_braceDepth == m_methodDepth) {
                m_pending = false;
                if (!IsExcludedSignature(m_pendingName))
                    StartMethod(m_pendingClass, m_pendingName, m_pendingParams, at, m_pendingAt);
            } else if (m_braceDepth > m_methodDepth && m_skippedDepth < 0 &&
                       !IsExcludedSignature(m_pendingName)) {
                // A body one level too deep, most often in a namespace or a
                // class body; the blocks inside it are not counted again.
                ++m_file.skippedBodies;
                m_skippedDepth = m_braceDepth;
            }
        }
        ++m_braceDepth;
    }

    void CloseBrace(const char* at)
    {
        --m_braceDepth;
        if (m_braceDepth == m_methodDepth && m_inMethod) FinishMethod(at);
        if (m_braceDepth == m_skippedDepth) m_skippedDepth = -1;
    }

private:
    const int32_t m_methodDepth;
    // Recogniser state. Depths move by one per token and so stay within the
    // scanned size.
    int32_t m_parenDepth = 0;
    int32_t m_braceDepth = 0;
    int32_t m_skippedDepth = -1;  // the depth of the skipped body being read, or -1
    std::string_view m_classCandidate;
    bool m_pending = false;
    std::string_view m_pendingClass;
    std::string_view m_pendingName;
    const char* m_pendingAt = nullptr;
    int32_t m_pendingParams = 0;
    bool m_colonSeen = false;
};

template <typename Rules>
void ScanCTokenByToken(Rules& rules, SourceTokenizer& tokens, bool java)
{
    Token last = Token::End;
    for (;;) {
        const Token token = tokens.NextToken();
        if (token == Token::End) break;
        last = token;
        switch (token) {
            case Token::Newline:
                rules.Newline(tokens.separator());
                break;
            case Token::LineComment:
                rules.LineComment();
                break;
            case Token::Word:
                rules.Code(tokens.tokenStart());
                if (java && tokens.word() == "import") rules.Import();
                break;
            case Token::Scope:
                rules.Scope(tokens.word(), tokens.cursor() - 2);
                break;
            case Token::OpenParen: {
                const char* open = tokens.cursor() - 1;
                rules.OpenParen(tokens.word(), open, [&] {
                    const int32_t count = Rules::CountParameters(tokens);
                    rules.NoteReadPast(open, tokens.cursor());
                    return count;
                });
                break;
            }
            case Token::CloseParen:
                rules.CloseParen(tokens.tokenStart());
                break;
            case Token::Colon:
                rules.Colon(tokens.tokenStart());
                break;
            case Token::Semicolon:
                rules.Semicolon(tokens.cursor() - 1);
                break;
            case Token::Hash: {
                const bool include = !java && tokens.IncludeFollows();
                rules.Directive(include, tokens.SkipDirective());
                break;
            }
            case Token::OpenBrace:
                rules.OpenBrace(tokens.cursor() - 1);
                break;
            case Token::CloseBrace:
                rules.CloseBrace(tokens.cursor() - 1);
                break;
            case Token::Comma:
            case Token::String:
            case Token::Char:
            case Token::Other:
                rules.Code(tokens.tokenStart());
                break;
            case Token::End:
                break;
        }
    }
    rules.End(last == Token::Newline);
}

// The Java "import" words, found ahead with a fast search and counted when
// the skim passes them outside strings and comments.
class ImportFinder {
public:
    ImportFinder(const char* begin, const char* end, bool java)
        : m_begin(begin), m_end(end), m_next(java ? Find(begin) : end)
    {
    }

    // How many "import" words start in [from, to), a stretch without
    // structural bytes; those before "from" were inside something skipped.
    int32_t CountIn(const char* from, const char* to)
    {
        int32_t count = 0;
        for (; m_next < to; m_next = Find(m_next + 1)) {
            if (m_next < from) continue;
            const char* after = m_next + kWord.size();
            if ((m_next == m_begin || !IsWordByte(m_next[-1])) &&
                (after == m_end || !IsWordByte(*after)))
                ++count;
        }
        return count;
    }

private:
    static constexpr std::string_view kWord = "import";

    const char* Find(const char* from) const
    {
        const std::string_view rest(from, static_cast<size_t>(m_end - from));
        const size_t at = rest.find(kWord);
        return at == std::string_view::npos ? m_end : from + at;
    }

    const char* m_begin;
    const char* m_end;
    const char* m_next;
};

inline uint64_t BitsBelow(unsigned n)  // n in [0, 64]
{
    return n >= 64 ? ~uint64_t{0} : (uint64_t{1} << n) - 1;
}

// Drives the rules from the structural bytes only. What lies between two of
// them ("a stretch") is blanks, words and Other bytes: it makes its line a
// code line when it holds anything but blanks, and its last word is the one
// a following "(" or "::" would see. Everything that swallows bytes (strings,
// comments, directives, parameter lists) is left to the tokenizer itself.
template <typename Rules>
void ScanCSkimming(Rules& rules, SourceTokenizer& tokens, bool java)
{
    const char* const begin = tokens.cursor();
    const char* const end = tokens.end();
    ImportFinder imports(begin, end, java);
    std::string_view lastWord;  // the last Word token
    bool lastWasNewline = false;

    const char* p = begin;
    while (p < end) {
        const ByteMasks m = SkimBytes(p, end);
        const unsigned length = static_cast<unsigned>(std::min<ptrdiff_t>(end - p, 64));
        unsigned from = 0;  // first bit of the current stretch
        auto stretch = [&](unsigned to) __attribute__((always_inline))
        {
            const uint64_t range = BitsBelow(to) & ~BitsBelow(from);
            if (const uint64_t code = m.nonBlank & range) {
                rules.Code(p + __builtin_ctzll(code));
                lastWasNewline = false;
            }
            if (const uint64_t words = m.word & range) {
                // The last run of word bytes. It cannot reach back past "from"
                // (a structural byte, or the last byte of something swallowed,
                // is never a word byte), only into the 64 bytes before, where
                // it was the last word too.
                const unsigned last = 63 - static_cast<unsigned>(__builtin_clzll(words));
                const uint64_t gaps = ~m.word & BitsBelow(last + 1);
                const char* start = p + (gaps ? 64 - __builtin_clzll(gaps) : 0);
                if (!gaps && p > begin && IsWordByte(p[-1])) {
                    if (lastWord.data() + lastWord.size() == p)
                        start = lastWord.data();
                    else
                        while (start > begin && IsWordByte(start[-1])) --start;
                }
                lastWord = {start, static_cast<size_t>(p + last + 1 - start)};
                if (java) {
                    for (int32_t n = imports.CountIn(p + from, p + to); n > 0; --n) rules.Import();
                }
            }
        };
        const char* next = nullptr;  // where a token that swallowed bytes ended
        for (uint64_t s = m.structural; s != 0; s &= s - 1) {
            if (next) {
                // Mostly within these 64 bytes (the rest of a line, a short
                // string): their masks still hold from there on.
                if (next >= p + length) break;
                from = static_cast<unsigned>(next - p);
                next = nullptr;
            }
            const unsigned i = static_cast<unsigned>(__builtin_ctzll(s));
            if (i < from) continue;  // swallowed, or the second byte of "::" or CR LF
            stretch(i);
            from = i + 1;
            const char* q = p + i;
            const bool hasNext = q + 1 < end;
            const bool wasNewline = lastWasNewline;
            lastWasNewline = false;
            switch (*q) {
                case '\n':
                    rules.Newline(tokens.separator());
                    lastWasNewline = true;
                    break;
                case '\r':
                    rules.Newline(tokens.separator());
                    lastWasNewline = true;
                    if (hasNext && q[1] == '\n') ++from;
                    break;
                case '"':
                case '\'':
                    rules.Code(q);
                    tokens.SkipLiteralAt(q);
                    next = tokens.cursor();
                    break;
                case '/':
                    if (hasNext && q[1] == '/') {
                        rules.LineComment();
                        tokens.Resume(q + 2, {});
                        tokens.SkipCommentText();
                        next = tokens.cursor();
                    } else if (hasNext && q[1] == '*') {
                        // No token: the line stays as it was.
                        lastWasNewline = wasNewline;
                        if (!tokens.SkipBlockCommentAt(q)) {
                            rules.End(lastWasNewline);
                            return;
                        }
                        next = tokens.cursor();
                    } else {
                        rules.Code(q);
                    }
                    break;
                case ':':
                    if (hasNext && q[1] == ':') {
                        rules.Scope(lastWord, q);
                        ++from;
                    } else {
                        rules.Colon(q);
                    }
                    break;
                case '#': {
                    tokens.Resume(q + 1, {});
                    const bool include = !java && tokens.IncludeFollows();
                    rules.Directive(include, tokens.SkipDirective());
                    next = tokens.cursor();
                    break;
                }
                case '(':
                    rules.OpenParen(lastWord, q, [&] {
                        tokens.Resume(q + 1, lastWord);
                        const int32_t count = Rules::CountParameters(tokens);
                        next = tokens.cursor();
                        rules.NoteReadPast(q, next);
                        lastWord = tokens.word();
                        return count;
                    });
                    break;
                case ')':
                    rules.CloseParen(q);
                    break;
                case '{':
                    rules.OpenBrace(q);
                    break;
                case '}':
                    rules.CloseBrace(q);
                    break;
                case ';':
                    rules.Semicolon(q);
                    break;
            }
        }
        if (next) {
            if (next >= p + length) {
                p = next;
                continue;
            }
            from = static_cast<unsigned>(next - p);
        }
        if (from < length) stretch(length);
        p += std::max(from, length);
    }
    rules.End(lastWasNewline);
}

// Assembler: every label opens a procedure that runs to the next label.
// Line numbers are left as offsets + 1 from "begin", like the C rules do.
void ScanAssembler(FileStats& stats, SourceTokenizer& tokens, FileCounts& file, const char* begin)
{
    bool lineBlank = true;
    bool commentOnly = false;
    bool inProcedure = false;
    int32_t codeLines = 0;
    int32_t commentOnlyLines = 0;
    int32_t procEmptyLines = 0;
    int32_t semicolonComments = 0;
    int32_t headerComments = 0;

    auto finishProcedure = [&] {
        const int64_t comments = int64_t{semicolonComments} + headerComments + commentOnlyLines;
        stats.FinishMethod(std::max(codeLines, 0), static_cast<int32_t>(comments), 0,
                           procEmptyLines);
        headerComments = 0;
    };

    Token last = Token::End;
    for (;;) {
        const Token token = tokens.NextToken();
        if (token == Token::End) break;
        last = token;
        switch (token) {
            case Token::Newline:
                ++file.lines;
                if (lineBlank) {
                    ++file.emptyLines;
                    if (inProcedure) ++procEmptyLines;
                } else if (inProcedure) {
                    if (!commentOnly) {
                        ++codeLines;
                    } else if (!tokens.separator()) {
                        ++commentOnlyLines;
                    } else {
                        ++file.emptyLines;
                        ++procEmptyLines;
                    }
                } else if (commentOnly) {
                    // Unlike the C rules, a "//" line never raised the file's
                    // comment count here, so a separator has nothing to take back.
                    if (!tokens.separator())
                        ++headerComments;
                    else
                        ++file.emptyLines;
                }
                lineBlank = true;
                commentOnly = false;
                break;
            case Token::LineComment:
                if (lineBlank) commentOnly = true;
                lineBlank = false;
                break;
            case Token::Semicolon:
                // A ";" comment leaves the line a code line of the procedure.
                lineBlank = false;
                tokens.SkipCommentText();
                ++file.commentLines;
                if (!commentOnly) ++semicolonComments;
                break;
            case Token::Hash:
                lineBlank = false;
                if (tokens.IncludeFollows()) ++file.includes;
                if (!inProcedure) headerComments = 0;
                break;
            case Token::Colon: {
                lineBlank = false;
                // The label's colon; the previous procedure ends on the line before.
                const char* label = tokens.tokenStart();
                if (inProcedure) {
                    const char* lineStart = label;
                    while (lineStart > begin && lineStart[-1] != '\n' && lineStart[-1] != '\r')
                        --lineStart;
                    if (lineStart > begin)
                        stats.methods.back()->endLine = static_cast<int32_t>(lineStart - begin);
                    finishProcedure();
                }
                stats.AddMethod(stats.name, tokens.word(), 0);
                stats.methods.back()->line = static_cast<int32_t>(label - begin) + 1;
                inProcedure = true;
                codeLines = commentOnlyLines = procEmptyLines = semicolonComments = 0;
                break;
            }
            default:
                lineBlank = false;
                break;
        }
    }
    if (last == Token::Newline) --file.lines;
    if (inProcedure) finishProcedure();
}

}  // namespace

bool IsAssertKeyword(std::string_view word)
{
    // Most words are not keywords: reject them by length and first letter
    // before folding case, and compare with the keywords of their length only.
    if (word.size() < 6 || word.size() > 12) return false;
    switch (word[0] | 0x20) {  // folds upper-case letters; "_" (0x5F) becomes 0x7F
        case 'a':
        case 'c':
        case 'n':
        case 'v':
        case 'x':
        case 0x7F:
            break;
        default:
            return false;
    }
    char lower[12];
    for (size_t i = 0; i < word.size(); ++i) {
        const char c = word[i];
        lower[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    const std::string_view folded(lower, word.size());
    switch (word.size()) {
        case 6:
            return folded == "assert" || folded == "verify";
        case 7:
            return folded == "_assert" || folded == "xassert";
        case 8:
            return folded == "_asserte" || folded == "xassertc" || folded == "nvassert" ||
                   folded == "checkptr";
        case 9:
            return folded == "nvassertc" || folded == "checknull" || folded == "checkcptr";
        case 11:
            return folded == "assertvalid";
        case 12:
            return folded == "assert_valid";
        default:
            return false;
    }
}

ScanLanguage LanguageForPath(std::string_view path)
{
    if (EndsWithNoCase(path, ".asm")) return ScanLanguage::Assembler;
    if (EndsWithNoCase(path, ".java")) return ScanLanguage::Java;
    return ScanLanguage::C;
}

namespace {

enum class Driver { Skimming, TokenByToken };

template <typename Rules>
void Drive(Rules& rules, SourceTokenizer& tokens, bool java, Driver driver)
{
    if (driver == Driver::Skimming)
        ScanCSkimming(rules, tokens, java);
    else
        ScanCTokenByToken(rules, tokens, java);
}

// Breaks before "to", counted from "from": LF, CR LF and a lone CR are one
// each, as the tokenizer counts them. "end" bounds the look past a CR.
int32_t CountLineFeeds(const char* from, const char* to)
{
    int32_t count = 0;
#if defined(__SSE2__)
    // 16 bytes a step: a plain count costs as much as a third of the scan.
    // Byte-wide counters, summed before any of them can pass 255.
    const __m128i lineFeed = _mm_set1_epi8('\n');
    while (to - from >= 16) {
        __m128i counters = _mm_setzero_si128();
        for (int step = 0; step < 255 && to - from >= 16; ++step, from += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
            counters = _mm_sub_epi8(counters, _mm_cmpeq_epi8(bytes, lineFeed));
        }
        const __m128i sums = _mm_sad_epu8(counters, _mm_setzero_si128());
        count += _mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4);
    }
#endif
    for (; from < to; ++from) count += *from == '\n';
    return count;
}

int32_t CountBreaks(const char* from, const char* to, const char* end, bool anyCr)
{
    if (!anyCr) return CountLineFeeds(from, to);
    int32_t breaks = 0;
    for (const char* p = from; p < to; ++p)
        breaks += *p == '\n' || (*p == '\r' && (p + 1 == end || p[1] != '\n'));
    return breaks;
}

// The rules leave each method's byte offsets + 1 in line and endLine (0 for
// a body the file ends in); one pass up to the last offset turns them into
// line numbers. Methods are still in the order they were found.
void OffsetsToLines(FileStats& stats, const char* data, size_t size)
{
    if (stats.methods.empty()) return;
    std::vector<int32_t*> fields;
    fields.reserve(2 * stats.methods.size());
    for (const auto& method : stats.methods) {
        if (method->endLine == 0) method->endLine = static_cast<int32_t>(size);
        fields.push_back(&method->line);
        fields.push_back(&method->endLine);
    }
    auto byOffset = [](const int32_t* a, const int32_t* b) { return *a < *b; };
    if (!std::is_sorted(fields.begin(), fields.end(), byOffset))
        std::sort(fields.begin(), fields.end(), byOffset);
    const char* const end = data + size;
    const bool anyCr = std::memchr(data, '\r', static_cast<size_t>(*fields.back())) != nullptr;
    const char* at = data;
    int32_t line = 1;
    for (int32_t* field : fields) {
        const char* to = data + std::min<size_t>(static_cast<size_t>(*field - 1), size);
        line += CountBreaks(at, to, end, anyCr);
        at = to;
        *field = line;
    }
}

int Scan(FileStats& stats, const char* data, size_t size, ScanLanguage language, MethodRule rule,
         Driver driver, ScanTrace* trace = nullptr)
{
    if (size > kMaxScanBytes) return 1;
    FileCounts file;
    // A file that starts with a NUL byte starts with no line.
    if (size > 0 && data[0] != '\0') file.lines = 1;
    SourceTokenizer tokens(data, size);
    if (language == ScanLanguage::Assembler) {
        ScanAssembler(stats, tokens, file, data);
    } else {
        const bool java = language == ScanLanguage::Java;
        if (rule == MethodRule::Modern) {
            ModernRules rules(stats, file, data + size, java);
            rules.SetTrace(trace, data);
            Drive(rules, tokens, java, driver);
        } else {
            CRules rules(stats, file, java);
            rules.SetTrace(trace, data);
            Drive(rules, tokens, java, driver);
        }
    }
    file.StoreIn(stats, tokens);
    OffsetsToLines(stats, data, size);
    stats.SortMethods();
    return 0;
}

}  // namespace

int ScanBuffer(FileStats& stats, const char* data, size_t size, ScanLanguage language,
               MethodRule rule)
{
    return Scan(stats, data, size, language, rule, Driver::Skimming);
}

int ScanBufferTokenByToken(FileStats& stats, const char* data, size_t size, ScanLanguage language,
                           MethodRule rule)
{
    return Scan(stats, data, size, language, rule, Driver::TokenByToken);
}

int ScanBufferTraced(FileStats& stats, const char* data, size_t size, ScanLanguage language,
                     MethodRule rule, ScanTrace& trace)
{
    return Scan(stats, data, size, language, rule, Driver::Skimming, &trace);
}

namespace {

// Reads the open file "fd" of "expected" bytes and closes it.
bool ReadOpenFile(int fd, uint64_t expected, std::vector<char>& buffer, size_t& size,
                  std::string* error)
{
    if (fd < 0) return false;
    bool ok = true;
    size_t total = 0;
    if (buffer.size() < expected) buffer.resize(static_cast<size_t>(expected));
    // A file that shrinks meanwhile is scanned as far as it goes; one that
    // grows is scanned at the size it had when opened.
    while (total < expected) {
        const ssize_t n = ::read(fd, buffer.data() + total, static_cast<size_t>(expected) - total);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            if (error) *error = std::strerror(errno);
            ok = false;
            break;
        }
        if (n == 0) break;
        total += static_cast<size_t>(n);
    }
    ::close(fd);
    size = total;
    return ok;
}

}  // namespace

bool ReadSourceFile(const std::string& path, std::vector<char>& buffer, size_t& size,
                    std::string* error)
{
    uint64_t expected = 0;
    const int fd = OpenRegularFile(path, kMaxScanBytes, expected, error);
    return ReadOpenFile(fd, expected, buffer, size, error);
}

bool ReadSourceFileAt(int directory, const std::string& name, std::vector<char>& buffer,
                      size_t& size, std::string* error)
{
    uint64_t expected = 0;
    const int fd = OpenRegularFileAt(directory, name, kMaxScanBytes, expected, error);
    return ReadOpenFile(fd, expected, buffer, size, error);
}

int ScanFile(FileStats& stats, const std::string& path, std::vector<char>& buffer, MethodRule rule)
{
    size_t size = 0;
    if (!ReadSourceFile(path, buffer, size)) return 1;
    return ScanBuffer(stats, buffer.data(), size, LanguageForPath(path), rule);
}

int ScanFile(FileStats& stats, const std::string& path, MethodRule rule)
{
    std::vector<char> buffer;
    return ScanFile(stats, path, buffer, rule);
}

}  // namespace codeburg
