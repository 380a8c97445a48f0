#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace codeburg {

// Token kinds; the numbers are the values the reader compares.
enum class MarkupToken : int {
    None = 0,
    TagEnd = 1,     // ">"
    TagOpen = 2,    // "<" before anything not listed below
    Equals = 3,     // "="
    Name = 4,       // name characters, a name-like text or an unquoted value
    Reserved5 = 5,  // never produced; accepted wherever Name is
    Text = 6,       // a quoted string, or other text outside tags
    Reserved7 = 7,  // never produced; accepted as attribute values
    Reserved8 = 8,
    Slash = 9,         // "/" not followed by ">"
    EndTagOpen = 10,   // "</"
    EmptyTagEnd = 11,  // "/>"
    PiOpen = 12,       // "<?"
    PiEnd = 13,        // "?>"
    Comment = 14,      // "<!--" ... "-->"
    CData = 15,        // "<![CDATA[" ... "]]>"
    EndOfInput = 16,
};

// Why the lexer could not produce a token. The first three values are the
// lexer error codes of the format; the rest fail a single request only.
enum class MarkupLexFailure : int {
    None = 0,
    UnterminatedText = 2,  // input ended inside a quoted string or text
    TextTooLong = 3,       // text over kMaxText bytes: the buffer cannot grow
    NameTooLong = 4,       // name or unquoted value over kMaxName bytes
    EmptyName = 5,
    UnterminatedComment = 6,
    UnterminatedCData = 7,
    UnterminatedDeclaration = 8,
};

// Cuts a private copy of the input into tokens. The input ends at its first
// zero byte. After a failure with one of the error codes 2 to 4 every further
// request fails as well, so a reader can stop at the first bad spot.
class MarkupLexer {
public:
    static constexpr size_t kMaxName = 128;
    static constexpr size_t kMaxText = 65534;  // what a 16-bit text buffer holds

    void SetInput(std::string_view bytes);

    // Fetches the next token; false when none could be produced.
    bool Next();

    MarkupToken token() const { return m_token; }
    // The text buffer for Text and the reserved kinds 7 and 8, else the name buffer.
    const std::string& TokenText() const;
    MarkupLexFailure failure() const { return m_failure; }
    int error() const { return m_error; }

    // The parser fetches the token after an attribute's "=" with value mode on.
    void SetValueMode(bool on) { m_valueMode = on; }

    // Saved and restored around a look-ahead.
    struct Mark {
        size_t position;
        bool tagMode;
        MarkupToken token;
    };
    Mark Save() const { return {m_pos, m_tagMode, m_token}; }
    void Restore(const Mark& mark);
    size_t position() const { return m_pos; }

    static bool IsNameChar(char c);

private:
    char At(size_t index) const { return index < m_input.size() ? m_input[index] : '\0'; }
    bool Fail(MarkupLexFailure failure);
    bool ReadAfterOpen();
    bool ReadDelimited(std::string_view terminator, MarkupLexFailure failure, MarkupToken token);
    bool ReadQuoted();
    bool ReadName();
    bool ReadUnquotedValue();
    bool ReadText();
    bool AtDeclaration() const;
    size_t DecodeEntity(size_t pos);

    std::string m_input;
    size_t m_pos = 0;
    bool m_tagMode = false;
    bool m_valueMode = false;
    MarkupToken m_token = MarkupToken::None;
    std::string m_name;
    std::string m_text;
    int m_error = 0;
    MarkupLexFailure m_failure = MarkupLexFailure::None;
};

}  // namespace codeburg
