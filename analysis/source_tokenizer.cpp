#include "analysis/source_tokenizer.h"

#include <array>
#include <cstring>

namespace codeburg {

namespace {

// What the first byte of a token decides. Single-byte tokens map straight to
// their kind; the rest need a look at the following bytes.
enum class Lead : uint8_t {
    Single,  // the token kind is in kSingle
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

}  // namespace

SourceTokenizer::SourceTokenizer(const char* data, size_t size)
    : m_begin(data), m_pos(data), m_end(data + size)
{
}

Token SourceTokenizer::NextToken()
{
    const char* p = m_pos;
    for (;;) {
        while (p < m_end && (*p == ' ' || *p == '\t')) ++p;
        if (p == m_end) {
            m_pos = p;
            return Token::End;
        }
        const unsigned char c = Byte(p);
        switch (kBytes.lead[c]) {
            case Lead::Single:
                m_pos = p + 1;
                return kBytes.single[c];
            case Lead::WordByte: {
                const char* start = p++;
                while (p < m_end && kBytes.word[Byte(p)]) ++p;
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
    // A byte loop rather than memchr: with lone-CR line ends a search for LF
    // alone would run to the end of the file on every line.
    while (from < m_end && *from != '\n' && *from != '\r') ++from;
    return from;
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
    for (const char* p = text; p < m_end; ++p) {
        switch (*p) {
            case '*':
                if (p + 1 < m_end && p[1] == '/') {
                    m_blockCommentLines += lineBreaks > 1 ? lineBreaks : 1;
                    m_pos = p + 2;
                    return true;
                }
                break;
            case '\n':
                ++lineBreaks;
                break;
            case '\r':
                if (!(p + 1 < m_end && p[1] == '\n')) ++lineBreaks;
                break;
            default:
                break;
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

}  // namespace codeburg
