#include "analysis/source_scanner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "analysis/file_stats.h"
#include "analysis/source_tokenizer.h"

namespace codeburg {

namespace {

// Signature names whose braces open message maps, run-time class macros or
// dialog data exchange rather than a method worth measuring.
bool IsExcludedSignature(std::string_view name)
{
    return name == "BEGIN_MESSAGE_MAP" || name == "IMPLEMENT_DYNCREATE" ||
           name == "IMPLEMENT_DYNAMIC" || name == "DoDataExchange";
}

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

// The counters of a whole file, kept apart from the record while scanning so
// that the hot loop works on locals. Bounded by the scanned size, so the
// 32-bit counters cannot overflow (see kMaxScanBytes).
struct FileCounts {
    int32_t lines = 0;
    int32_t emptyLines = 0;
    int32_t commentLines = 0;
    int32_t asserts = 0;
    int32_t includes = 0;

    void StoreIn(FileStats& stats, const SourceTokenizer& tokens) const
    {
        stats.lines = lines;
        stats.emptyLines = emptyLines;
        stats.commentLines = commentLines;
        stats.asserts = asserts;
        stats.includes = includes;
        stats.blockCommentLines = tokens.blockCommentLines();
    }
};

int32_t NonNegativeDifference(int32_t a, int32_t b)
{
    const int64_t d = int64_t{a} - b;
    return d > 0 ? static_cast<int32_t>(d) : 0;
}

// C, C++ and Java: the line accounting and the method recognition share one
// pass over the tokens.
void ScanC(FileStats& stats, SourceTokenizer& tokens, FileCounts& file, bool java)
{
    // Line state.
    bool lineBlank = true;
    bool commentOnly = false;
    // Recogniser state. Depths move by one per token and so stay within the
    // scanned size.
    const int32_t methodDepth = java ? 1 : 0;
    int32_t parenDepth = 0;
    int32_t braceDepth = 0;
    std::string_view classCandidate;
    bool pending = false;
    std::string_view pendingClass;
    std::string_view pendingName;
    int32_t pendingParams = 0;
    bool colonSeen = false;
    bool inMethod = false;
    // Per-method counters; headerComments runs across methods.
    int32_t methodLines = 0;
    int32_t methodCommentLines = 0;
    int32_t methodEmptyLines = 0;
    int32_t methodAsserts = 0;
    int32_t trailingComments = 0;
    int32_t headerComments = 0;

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
                    if (inMethod) ++methodEmptyLines;
                } else if (inMethod) {
                    if (!commentOnly) {
                        ++methodLines;
                    } else if (!tokens.separator()) {
                        ++methodCommentLines;
                    } else {
                        // The comment stays counted for the file, as an empty line too.
                        ++file.emptyLines;
                        ++methodEmptyLines;
                    }
                } else if (commentOnly) {
                    if (!tokens.separator()) {
                        ++headerComments;
                    } else {
                        ++file.emptyLines;
                        --file.commentLines;
                    }
                }
                lineBlank = true;
                commentOnly = false;
                break;
            case Token::LineComment:
                if (lineBlank) commentOnly = true;
                lineBlank = false;
                ++file.commentLines;
                if (!commentOnly) ++trailingComments;
                break;
            case Token::Word:
                lineBlank = false;
                if (java && tokens.word() == "import") ++file.includes;
                break;
            case Token::Scope:
                lineBlank = false;
                classCandidate = tokens.word();
                break;
            case Token::OpenParen:
                lineBlank = false;
                if (inMethod) {
                    if (IsAssertKeyword(tokens.word())) {
                        ++file.asserts;
                        ++methodAsserts;
                    }
                    ++parenDepth;
                    break;
                }
                // An initialiser list (after a ":") keeps the signature; any other
                // call-like group replaces it.
                if (pending && !colonSeen) pending = false;
                if (parenDepth == 0 && !pending) {
                    pendingClass = classCandidate;
                    pendingName = tokens.word();
                    pendingParams = tokens.CountParameters();
                    pending = true;
                } else {
                    ++parenDepth;
                }
                break;
            case Token::CloseParen:
                lineBlank = false;
                --parenDepth;
                break;
            case Token::Colon:
                lineBlank = false;
                colonSeen = true;
                break;
            case Token::Semicolon:
                lineBlank = false;
                classCandidate = {};
                pending = false;
                colonSeen = false;
                if (!inMethod) headerComments = 0;
                break;
            case Token::Hash: {
                lineBlank = false;
                if (!java && tokens.IncludeFollows()) ++file.includes;
                const int32_t continuations = tokens.SkipDirective();
                file.lines += continuations;
                if (inMethod)
                    methodLines += continuations;
                else
                    headerComments = 0;
                break;
            }
            case Token::OpenBrace:
                colonSeen = false;
                if (pending && braceDepth == methodDepth) {
                    pending = false;
                    if (!IsExcludedSignature(pendingName)) {
                        inMethod = true;
                        stats.AddMethod(pendingClass, pendingName, pendingParams);
                        methodCommentLines = methodEmptyLines = methodAsserts = trailingComments =
                            0;
                        // A brace that ends a code line: that line's break brings it to 0.
                        methodLines = lineBlank ? 0 : -1;
                    }
                }
                ++braceDepth;
                break;
            case Token::CloseBrace:
                --braceDepth;
                if (braceDepth == methodDepth && inMethod) {
                    inMethod = false;
                    const int64_t comments =
                        int64_t{trailingComments} + headerComments + methodCommentLines;
                    stats.FinishMethod(NonNegativeDifference(methodLines, methodAsserts),
                                       static_cast<int32_t>(comments), methodAsserts,
                                       methodEmptyLines);
                    headerComments = 0;
                }
                break;
            case Token::Comma:
            case Token::String:
            case Token::Char:
            case Token::Other:
                lineBlank = false;
                break;
            case Token::End:
                break;
        }
    }
    // The final line break does not open another line.
    if (last == Token::Newline) --file.lines;
}

// Assembler: every label opens a procedure that runs to the next label.
void ScanAssembler(FileStats& stats, SourceTokenizer& tokens, FileCounts& file)
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
                    if (!tokens.separator()) ++headerComments;
                    else ++file.emptyLines;
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
            case Token::Colon:
                lineBlank = false;
                if (inProcedure) finishProcedure();
                stats.AddMethod(stats.name, tokens.word(), 0);
                inProcedure = true;
                codeLines = commentOnlyLines = procEmptyLines = semicolonComments = 0;
                break;
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
    static constexpr std::string_view kKeywords[] = {
        "assert",    "_assert",   "_asserte", "verify",    "xassert",      "xassertc",   "nvassert",
        "nvassertc", "checknull", "checkptr", "checkcptr", "assert_valid", "assertvalid"};
    // Most words are not keywords: reject them by length before folding case.
    if (word.size() < 6 || word.size() > 12) return false;
    char lower[12];
    for (size_t i = 0; i < word.size(); ++i) {
        const char c = word[i];
        lower[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    const std::string_view folded(lower, word.size());
    for (std::string_view keyword : kKeywords)
        if (folded == keyword) return true;
    return false;
}

ScanLanguage LanguageForPath(std::string_view path)
{
    if (EndsWithNoCase(path, ".asm")) return ScanLanguage::Assembler;
    if (EndsWithNoCase(path, ".java")) return ScanLanguage::Java;
    return ScanLanguage::C;
}

int ScanBuffer(FileStats& stats, const char* data, size_t size, ScanLanguage language)
{
    if (size > kMaxScanBytes) return 1;
    FileCounts file;
    // A file that starts with a NUL byte starts with no line.
    if (size > 0 && data[0] != '\0') file.lines = 1;
    SourceTokenizer tokens(data, size);
    if (language == ScanLanguage::Assembler)
        ScanAssembler(stats, tokens, file);
    else
        ScanC(stats, tokens, file, language == ScanLanguage::Java);
    file.StoreIn(stats, tokens);
    stats.SortMethods();
    return 0;
}

bool ReadSourceFile(const std::string& path, std::vector<char>& buffer, size_t& size)
{
    // Non-blocking, so that a FIFO given by mistake cannot hang the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat info;
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
              static_cast<uint64_t>(info.st_size) <= kMaxScanBytes;
    size_t total = 0;
    if (ok) {
        const size_t expected = static_cast<size_t>(info.st_size);
        if (buffer.size() < expected) buffer.resize(expected);
        // A file that shrinks meanwhile is scanned as far as it goes; one that
        // grows is scanned at the size it had when opened.
        while (total < expected) {
            const ssize_t n = ::read(fd, buffer.data() + total, expected - total);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                ok = false;
                break;
            }
            if (n == 0) break;
            total += static_cast<size_t>(n);
        }
    }
    ::close(fd);
    size = total;
    return ok;
}

int ScanFile(FileStats& stats, const std::string& path, std::vector<char>& buffer)
{
    size_t size = 0;
    if (!ReadSourceFile(path, buffer, size)) return 1;
    return ScanBuffer(stats, buffer.data(), size, LanguageForPath(path));
}

int ScanFile(FileStats& stats, const std::string& path)
{
    std::vector<char> buffer;
    return ScanFile(stats, path, buffer);
}

}  // namespace codeburg
