#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace codeburg {

enum class Token : uint8_t {
    End,  // end of the buffer, or an unterminated block comment
    Word,
    Scope,  // "::"
    OpenParen,
    CloseParen,
    OpenBrace,
    CloseBrace,
    Colon,
    Comma,
    Newline,  // LF, CR LF or a lone CR
    LineComment,
    String,
    Semicolon,
    Hash,
    Char,
    Other,
};

// Cuts a byte buffer it does not own into the tokens the line classifiers
// work on. "data" must stay alive while the tokenizer is used. Every byte is
// read only below "data + size"; NUL bytes are ordinary bytes. Block comments
// yield no token: their line breaks are added to blockCommentLines(). Once End
// has been returned, every later call returns End again.
// Bit i of each mask describes byte p[i] of up to 64 bytes from "p"; bytes at
// or past "end" set no bit. "Structural" bytes are the ones that start a
// token with an effect of its own: line breaks, quotes, "/", ":", "#",
// parentheses, braces and ";". Between two of them there are only blanks,
// words and Other bytes.
struct ByteMasks {
    uint64_t structural = 0;
    uint64_t nonBlank = 0;  // anything but space and tab
    uint64_t word = 0;
};
ByteMasks SkimBytes(const char* p, const char* end);

// Whether NextToken counts "c" into a Word token: ASCII letters and digits,
// "_" and "~".
inline bool IsWordByte(char c)
{
    const unsigned folded = static_cast<unsigned char>(c) | 0x20u;  // upper onto lower case
    return (folded >= 'a' && folded <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '~';
}

class SourceTokenizer {
public:
    SourceTokenizer(const char* data, size_t size);

    Token NextToken();

    // Reads the tokens of a parameter list whose "(" has just been returned,
    // up to and including the matching ")", and returns the parameter count.
    int32_t CountParameters();
    // The same list read as a programmer reads it: the items separated by
    // commas outside nested (), <>, [] and {}, where an item is anything but
    // an attribute "[...]"; a list of the single word "void" has none.
    int32_t CountTopLevelParameters();

    // Right after a Hash token: whether "include" directly follows the "#".
    bool IncludeFollows() const;
    // Right after a Hash token: skips the directive up to, not including, its
    // last line break and returns the number of backslash continuations.
    int32_t SkipDirective();
    // Consumes the rest of the line as the text of a line comment, setting
    // the separator flag from it.
    void SkipCommentText();

    // For a driver that finds token boundaries itself (see SkimBytes): carry
    // on from "pos" with "word" as the last Word token, and the pieces of
    // NextToken it needs. Each Skip starts at its opening byte and leaves
    // position() after what it skipped.
    void Resume(const char* pos, std::string_view word)
    {
        m_pos = pos;
        m_word = word;
    }
    const char* cursor() const { return m_pos; }
    // The first byte of the token NextToken returned last.
    const char* tokenStart() const { return m_start; }
    const char* end() const { return m_end; }
    void SkipLiteralAt(const char* open) { m_pos = SkipLiteral(open); }
    // False, with position() at the end, when the comment never closes.
    bool SkipBlockCommentAt(const char* open);

    // Text of the last Word token; it lives as long as the buffer.
    std::string_view word() const { return m_word; }
    // Whether the last comment text was a separator: one byte repeated, or nothing.
    bool separator() const { return m_separator; }
    int32_t blockCommentLines() const { return m_blockCommentLines; }
    size_t position() const { return static_cast<size_t>(m_pos - m_begin); }

private:
    const char* FindLineEnd(const char* from) const;
    const char* SkipLiteral(const char* open) const;
    bool SkipBlockComment(const char* text);

    const char* m_begin;
    const char* m_pos;
    const char* m_end;
    const char* m_start = nullptr;
    std::string_view m_word;
    bool m_separator = false;
    int32_t m_blockCommentLines = 0;
};

}  // namespace codeburg
