#include "analysis/source_tokenizer.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace codeburg {

namespace {

// What the first byte of a token decides. Single-byte tokens map straight to
// their kind; the rest need a look at the following bytes.
enum class Lead : uint8_t {
    Single,  // the token kind is in ByteTable::single
    Blank,
    WordByte,
    LineFeed,
    CarriageReturn,
    Quote,
    Slash,
    ColonByte,
};

struct ByteTable {
    std::array<Lead, 256> lead{};
    std::array<Token, 256> single{};
    std::array<bool, 256> word{};
};

constexpr ByteTable MakeByteTable()
{
    ByteTable t;
    for (int c = 0; c < 256; ++c) {
        t.lead[c] = Lead::Single;
        t.single[c] = Token::Other;
        // Only ASCII letters and digits: bytes above 127 are never word bytes.
        t.word[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '_' || c == '~';
        if (t.word[c]) t.lead[c] = Lead::WordByte;
    }
    t.lead[' '] = t.lead['\t'] = Lead::Blank;
    t.lead['\n'] = Lead::LineFeed;
    t.lead['\r'] = Lead::CarriageReturn;
    t.lead['"'] = t.lead['\''] = Lead::Quote;
    t.lead['/'] = Lead::Slash;
    t.lead[':'] = Lead::ColonByte;
    t.single['#'] = Token::Hash;
    t.single['('] = Token::OpenParen;
    t.single[')'] = Token::CloseParen;
    t.single[','] = Token::Comma;
    t.single[';'] = Token::Semicolon;
    t.single['{'] = Token::OpenBrace;
    t.single['}'] = Token::CloseBrace;
    return t;
}

constexpr ByteTable kBytes = MakeByteTable();

inline unsigned char Byte(const char* p)
{
    return static_cast<unsigned char>(*p);
}

// The scans below look at 16 bytes at once where SSE2 is available: runs of
// blanks, word bytes and comment text are mostly shorter or longer than a
// byte loop's branch predictor would like. The byte loops finish the last
// bytes of the buffer (and do all the work elsewhere), so nothing is read past
// "end".
#if defined(__SSE2__)
inline __m128i Load16(const char* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

inline __m128i Equal(__m128i v, char c)
{
    return _mm_cmpeq_epi8(v, _mm_set1_epi8(c));
}

inline __m128i InRange(__m128i v, char low, char high)  // signed: bytes above 127 never match
{
    return _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(static_cast<char>(low - 1))),
                         _mm_cmplt_epi8(v, _mm_set1_epi8(static_cast<char>(high + 1))));
}

inline unsigned Mask(__m128i v)
{
    return static_cast<unsigned>(_mm_movemask_epi8(v));
}
#endif

const char* SkipBlanks(const char* p, const char* end)
{
#if defined(__SSE2__)
    while (end - p >= 16) {
        const __m128i v = Load16(p);
        const unsigned blank = Mask(_mm_or_si128(Equal(v, ' '), Equal(v, '\t')));
        if (blank != 0xFFFF) return p + __builtin_ctz(~blank);
        p += 16;
    }
#endif
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    return p;
}

const char* SkipWordBytes(const char* p, const char* end)
{
#if defined(__SSE2__)
    while (end - p >= 16) {
        const __m128i v = Load16(p);
        // Setting bit 5 folds upper-case letters onto lower-case ones only.
        const __m128i letter = InRange(_mm_or_si128(v, _mm_set1_epi8(0x20)), 'a', 'z');
        const __m128i digit = InRange(v, '0', '9');
        const __m128i other = _mm_or_si128(Equal(v, '_'), Equal(v, '~'));
        const unsigned word = Mask(_mm_or_si128(_mm_or_si128(letter, digit), other));
        if (word != 0xFFFF) return p + __builtin_ctz(~word);
        p += 16;
    }
#endif
    while (p < end && kBytes.word[Byte(p)]) ++p;
    return p;
}

// The first CR or LF at or after "p", or "end".
const char* FindLineBreak(const char* p, const char* end)
{
#if defined(__SSE2__)
    while (end - p >= 16) {
        const __m128i v = Load16(p);
        const unsigned hit = Mask(_mm_or_si128(Equal(v, '\n'), Equal(v, '\r')));
        if (hit) return p + __builtin_ctz(hit);
        p += 16;
    }
#endif
    while (p < end && *p != '\n' && *p != '\r') ++p;
    return p;
}

// The first byte that matters inside a block comment ("*", CR or LF), or "end".
const char* FindCommentMark(const char* p, const char* end)
{
#if defined(__SSE2__)
    while (end - p >= 16) {
        const __m128i v = Load16(p);
        const unsigned hit =
            Mask(_mm_or_si128(_mm_or_si128(Equal(v, '\n'), Equal(v, '\r')), Equal(v, '*')));
        if (hit) return p + __builtin_ctz(hit);
        p += 16;
    }
#endif
    while (p < end && *p != '\n' && *p != '\r' && *p != '*') ++p;
    return p;
}

#if defined(__SSE2__)
// Masks of 16 bytes.
struct Masks16 {
    unsigned structural, nonBlank, word;
};

inline Masks16 Skim16(__m128i v)
{
    const __m128i lineBreak = _mm_or_si128(Equal(v, '\n'), Equal(v, '\r'));
    const __m128i quote = _mm_or_si128(Equal(v, '"'), Equal(v, '\''));
    const __m128i punctuation = _mm_or_si128(_mm_or_si128(Equal(v, '/'), Equal(v, ':')),
                                             _mm_or_si128(Equal(v, '#'), Equal(v, ';')));
    // "(" and ")" are 0x28 and 0x29, "{" and "}" 0x7B and 0x7D ("|" between them is not).
    const __m128i paren = InRange(v, '(', ')');
    const __m128i brace = _mm_or_si128(Equal(v, '{'), Equal(v, '}'));
    const __m128i structural = _mm_or_si128(_mm_or_si128(lineBreak, quote),
                                            _mm_or_si128(punctuation, _mm_or_si128(paren, brace)));
    const __m128i blank = _mm_or_si128(Equal(v, ' '), Equal(v, '\t'));
    const __m128i letter = InRange(_mm_or_si128(v, _mm_set1_epi8(0x20)), 'a', 'z');
    const __m128i digit = InRange(v, '0', '9');
    const __m128i other = _mm_or_si128(Equal(v, '_'), Equal(v, '~'));
    const __m128i word = _mm_or_si128(_mm_or_si128(letter, digit), other);
    return {Mask(structural), Mask(blank) ^ 0xFFFFu, Mask(word)};
}
#endif

constexpr std::array<bool, 256> MakeStructuralTable()
{
    std::array<bool, 256> t{};
    for (unsigned char c : {'\n', '\r', '"', '\'', '/', ':', '#', '(', ')', '{', '}', ';'})
        t[c] = true;
    return t;
}

constexpr std::array<bool, 256> kStructural = MakeStructuralTable();

}  // namespace

ByteMasks SkimBytes(const char* p, const char* end)
{
    ByteMasks m;
#if defined(__SSE2__)
    if (end - p >= 64) {
        for (int k = 0; k < 4; ++k) {
            const Masks16 part = Skim16(Load16(p + 16 * k));
            m.structural |= uint64_t{part.structural} << (16 * k);
            m.nonBlank |= uint64_t{part.nonBlank} << (16 * k);
            m.word |= uint64_t{part.word} << (16 * k);
        }
        return m;
    }
#endif
    const int n = static_cast<int>(std::min<ptrdiff_t>(end - p, 64));
    for (int i = 0; i < n; ++i) {
        const unsigned char c = Byte(p + i);
        const uint64_t bit = uint64_t{1} << i;
        if (kStructural[c]) m.structural |= bit;
        if (c != ' ' && c != '\t') m.nonBlank |= bit;
        if (kBytes.word[c]) m.word |= bit;
    }
    return m;
}

bool SourceTokenizer::SkipBlockCommentAt(const char* open)
{
    if (SkipBlockComment(open + 2)) return true;
    m_pos = m_end;
    return false;
}

SourceTokenizer::SourceTokenizer(const char* data, size_t size)
    : m_begin(data), m_pos(data), m_end(data + size)
{
}

Token SourceTokenizer::NextToken()
{
    const char* p = m_pos;
    for (;;) {
        p = SkipBlanks(p, m_end);
        if (p == m_end) {
            m_pos = p;
            return Token::End;
        }
        const unsigned char c = Byte(p);
        m_start = p;
        switch (kBytes.lead[c]) {
            case Lead::Single:
                m_pos = p + 1;
                return kBytes.single[c];
            case Lead::WordByte: {
                const char* start = p;
                p = SkipWordBytes(p + 1, m_end);
                m_word = std::string_view(start, static_cast<size_t>(p - start));
                m_pos = p;
                return Token::Word;
            }
            case Lead::LineFeed:
                m_pos = p + 1;
                return Token::Newline;
            case Lead::CarriageReturn:
                m_pos = (p + 1 < m_end && p[1] == '\n') ? p + 2 : p + 1;
                return Token::Newline;
            case Lead::Quote:
                m_pos = SkipLiteral(p);
                return c == '"' ? Token::String : Token::Char;
            case Lead::ColonByte:
                if (p + 1 < m_end && p[1] == ':') {
                    m_pos = p + 2;
                    return Token::Scope;
                }
                m_pos = p + 1;
                return Token::Colon;
            case Lead::Slash:
                if (p + 1 < m_end && p[1] == '/') {
                    m_pos = p + 2;
                    SkipCommentText();
                    return Token::LineComment;
                }
                if (p + 1 < m_end && p[1] == '*') {
                    if (!SkipBlockComment(p + 2)) {
                        m_pos = m_end;  // an open comment swallows the rest of the file
                        return Token::End;
                    }
                    p = m_pos;
                    continue;
                }
                m_pos = p + 1;
                return Token::Other;
            case Lead::Blank:
                break;  // cannot happen: blanks were skipped above
        }
    }
}

const char* SourceTokenizer::FindLineEnd(const char* from) const
{
    // Both bytes at once, not memchr for LF: with lone-CR line ends a search
    // for LF alone would run to the end of the file on every line.
    return FindLineBreak(from, m_end);
}

const char* SourceTokenizer::SkipLiteral(const char* open) const
{
    const char quote = *open;
    const char* p = open + 1;
    for (;;) {
        const void* hit = std::memchr(p, quote, static_cast<size_t>(m_end - p));
        if (!hit) return m_end;
        const char* q = static_cast<const char*>(hit);
        // q - 1 is at least the opening quote; when it is a backslash, q - 2
        // is at least the opening quote as well.
        if (q[-1] == '\\' && q[-2] != '\\') {
            p = q + 1;
            continue;
        }
        return q + 1;
    }
}

bool SourceTokenizer::SkipBlockComment(const char* text)
{
    int32_t lineBreaks = 0;
    for (const char* p = FindCommentMark(text, m_end); p < m_end;
         p = FindCommentMark(p + 1, m_end)) {
        if (*p == '*') {
            if (p + 1 < m_end && p[1] == '/') {
                m_blockCommentLines += lineBreaks > 1 ? lineBreaks : 1;
                m_pos = p + 2;
                return true;
            }
        } else if (*p == '\n' || !(p + 1 < m_end && p[1] == '\n')) {
            ++lineBreaks;  // LF, or a CR that no LF follows
        }
    }
    return false;
}

void SourceTokenizer::SkipCommentText()
{
    const char* end = FindLineEnd(m_pos);
    m_separator = true;
    for (const char* p = m_pos; p < end; ++p) {
        if (*p != *m_pos) {
            m_separator = false;
            break;
        }
    }
    m_pos = end;
}

bool SourceTokenizer::IncludeFollows() const
{
    return m_end - m_pos >= 7 && std::memcmp(m_pos, "include", 7) == 0;
}

int32_t SourceTokenizer::SkipDirective()
{
    int32_t continuations = 0;
    // end[-1] is at least the "#" itself.
    const char* end = FindLineEnd(m_pos);
    // A backslash as the very last byte continues nothing: there is no line after it.
    while (end < m_end && end[-1] == '\\') {
        ++continuations;
        end += (end[0] == '\r' && end + 1 < m_end && end[1] == '\n') ? 2 : 1;
        end = FindLineEnd(end);
    }
    m_pos = end;
    return continuations;
}

int32_t SourceTokenizer::CountParameters()
{
    int32_t count = 0;
    int32_t depth = 1;  // cannot overflow: bounded by the scanned size
    for (;;) {
        switch (NextToken()) {
            case Token::Word:
                if (count == 0 && m_word != "void") count = 1;
                break;
            case Token::OpenParen:
                ++depth;
                break;
            case Token::Comma:
                ++count;
                break;
            case Token::CloseParen:
                if (--depth == 0) return count;
                break;
            case Token::End:
                return count;
            default:
                break;
        }
    }
}

int32_t SourceTokenizer::CountTopLevelParameters()
{
    // Depths are bounded by the scanned size, so they cannot overflow.
    int32_t parens = 1, nested = 0, brackets = 0;
    int32_t separators = 0;
    bool content = false;    // the list holds anything but attributes
    bool onlyVoid = false;   // ... and that is the single word "void"
    bool afterName = false;  // the last token was a name, so "<" opens arguments
    for (;;) {
        const Token token = NextToken();
        const char byte = token == Token::Other ? m_pos[-1] : '\0';
        const bool name = token == Token::Word && !(m_word[0] >= '0' && m_word[0] <= '9');
        switch (token) {
            case Token::End:
                return content ? separators + (onlyVoid ? 0 : 1) : 0;
            case Token::Newline:
            case Token::LineComment:
                continue;  // neither content nor a change of what precedes
            case Token::OpenParen:
            case Token::OpenBrace:
                ++(token == Token::OpenParen ? parens : nested);
                break;
            case Token::CloseParen:
                if (--parens == 0) return content ? separators + (onlyVoid ? 0 : 1) : 0;
                break;
            case Token::CloseBrace:
                --nested;
                break;
            case Token::Comma:
                if (parens == 1 && nested <= 0 && brackets <= 0) {
                    ++separators;
                    onlyVoid = false;
                }
                break;
            case Token::Other:
                if (byte == '[') {
                    ++brackets;
                } else if (byte == ']') {
                    --brackets;
                } else if (byte == '<' && afterName && m_pos < m_end && *m_pos != '<' &&
                           *m_pos != '=') {
                    ++nested;  // template arguments, not a comparison or shift
                } else if (byte == '>' && nested > 0 && m_pos[-2] != '-') {
                    --nested;
                }
                break;
            default:
                break;
        }
        if (brackets <= 0 && !(token == Token::Other && byte == ']')) {
            onlyVoid = !content && token == Token::Word && m_word == "void";
            content = true;
        }
        afterName = name;
    }
}

}  // namespace codeburg
