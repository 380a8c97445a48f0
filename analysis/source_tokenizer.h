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
class SourceTokenizer {
public:
    SourceTokenizer(const char* data, size_t size);

    Token NextToken();

    // Reads the tokens of a parameter list whose "(" has just been returned,
    // up to and including the matching ")", and returns the parameter count.
    int32_t CountParameters();

    // Right after a Hash token: whether "include" directly follows the "#".
    bool IncludeFollows() const;
    // Right after a Hash token: skips the directive up to, not including, its
    // last line break and returns the number of backslash continuations.
    int32_t SkipDirective();
    // Consumes the rest of the line as the text of a line comment, setting
    // the separator flag from it.
    void SkipCommentText();

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
    std::string_view m_word;
    bool m_separator = false;
    int32_t m_blockCommentLines = 0;
};

}  // namespace codeburg
