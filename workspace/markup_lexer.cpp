#include "workspace/markup_lexer.h"

#include <array>

namespace codeburg {

namespace {

bool IsBlank(char c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

struct Entity {
    std::string_view text;
    char value;
};

// Tried in this order; anything else after "&" is kept literally.
constexpr std::array<Entity, 5> kEntities{{
    {"&amp;", '&'},
    {"&apos;", '\''},
    {"&quot;", '"'},
    {"&lt;", '<'},
    {"&gt;", '>'},
}};

}  // namespace

bool MarkupLexer::IsNameChar(char c)
{
    // ASCII only, as isalnum decides in the "C" locale.
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == ':' || c == '#' || c == '+' || c == '%';
}

void MarkupLexer::SetInput(std::string_view bytes)
{
    const size_t zero = bytes.find('\0');
    m_input.assign(bytes.substr(0, zero));
    m_pos = 0;
    m_tagMode = false;
    m_valueMode = false;
    m_token = MarkupToken::None;
    m_name.clear();
    m_text.clear();
    m_error = 0;
    m_failure = MarkupLexFailure::None;
}

const std::string& MarkupLexer::TokenText() const
{
    const bool text = m_token == MarkupToken::Text || m_token == MarkupToken::Reserved7 ||
                      m_token == MarkupToken::Reserved8;
    return text ? m_text : m_name;
}

void MarkupLexer::Restore(const Mark& mark)
{
    m_pos = mark.position;
    m_tagMode = mark.tagMode;
    m_token = mark.token;
    m_name.clear();
    m_text.clear();
}

bool MarkupLexer::Fail(MarkupLexFailure failure)
{
    m_failure = failure;
    const int code = static_cast<int>(failure);
    if (code >= 2 && code <= 4) m_error = code;
    m_token = MarkupToken::None;
    return false;
}

bool MarkupLexer::Next()
{
    m_name.clear();
    m_text.clear();
    if (m_error != 0) {
        m_token = MarkupToken::None;
        return false;
    }
    for (;;) {
        const char c = At(m_pos);
        const char after = At(m_pos + 1);
        if (c == '\0') {
            m_token = MarkupToken::EndOfInput;
            return true;
        }
        if (IsBlank(c)) {
            ++m_pos;
            continue;
        }
        if (c == '=') {
            ++m_pos;
            m_token = MarkupToken::Equals;
            return true;
        }
        if (c == '>') {
            ++m_pos;
            m_tagMode = false;
            m_token = MarkupToken::TagEnd;
            return true;
        }
        if (c == '/') {
            if (after == '>') {
                m_pos += 2;
                m_tagMode = false;
                m_token = MarkupToken::EmptyTagEnd;
            } else {
                ++m_pos;
                m_token = MarkupToken::Slash;
            }
            return true;
        }
        if (c == '?' && after == '>') {
            m_pos += 2;
            m_tagMode = false;
            m_token = MarkupToken::PiEnd;
            return true;
        }
        if (c == '<') {
            m_tagMode = true;
            ++m_pos;
            if (AtDeclaration()) {
                // A declaration such as a document type yields no token.
                const size_t end = m_input.find('>', m_pos + 1);
                if (end == std::string::npos)
                    return Fail(MarkupLexFailure::UnterminatedDeclaration);
                m_pos = end + 1;
                m_tagMode = false;
                continue;
            }
            return ReadAfterOpen();
        }
        if (c == '"' || c == '\'') return ReadQuoted();
        if (!m_tagMode) return ReadText();
        return m_valueMode ? ReadUnquotedValue() : ReadName();
    }
}

bool MarkupLexer::ReadAfterOpen()
{
    const char c = At(m_pos);
    if (c == '/') {
        ++m_pos;
        m_token = MarkupToken::EndTagOpen;
        return true;
    }
    if (c == '?') {
        ++m_pos;
        m_token = MarkupToken::PiOpen;
        return true;
    }
    if (c == '!' && At(m_pos + 1) == '-') {
        m_pos += 3;  // "!--"
        return ReadDelimited("-->", MarkupLexFailure::UnterminatedComment, MarkupToken::Comment);
    }
    if (c == '!') {
        m_pos += 8;  // "![CDATA["
        return ReadDelimited("]]>", MarkupLexFailure::UnterminatedCData, MarkupToken::CData);
    }
    m_token = MarkupToken::TagOpen;
    return true;
}

bool MarkupLexer::ReadDelimited(std::string_view terminator, MarkupLexFailure failure,
                                MarkupToken token)
{
    const size_t end = m_input.find(terminator, m_pos);
    if (end == std::string::npos) return Fail(failure);
    if (end - m_pos > kMaxText) return Fail(MarkupLexFailure::TextTooLong);
    // Comments and CDATA sections carry their text in the name buffer's place:
    // TokenText() hands out the name buffer for these kinds.
    m_name.assign(m_input, m_pos, end - m_pos);
    m_pos = end + terminator.size();
    m_tagMode = false;
    m_token = token;
    return true;
}

bool MarkupLexer::AtDeclaration() const
{
    if (At(m_pos) != '!') return false;
    const bool comment = At(m_pos + 1) == '-' && At(m_pos + 2) == '-';
    return !comment && m_input.compare(m_pos + 1, 7, "[CDATA[") != 0;
}

size_t MarkupLexer::DecodeEntity(size_t pos)
{
    for (const Entity& entity : kEntities) {
        if (m_input.compare(pos, entity.text.size(), entity.text) == 0) {
            m_text += entity.value;
            return pos + entity.text.size();
        }
    }
    m_text += '&';
    return pos + 1;
}

bool MarkupLexer::ReadQuoted()
{
    const char quote = At(m_pos++);
    for (;;) {
        const char c = At(m_pos);
        if (c == '\0') return Fail(MarkupLexFailure::UnterminatedText);
        if (c == quote) {
            ++m_pos;
            break;
        }
        if (m_text.size() >= kMaxText) return Fail(MarkupLexFailure::TextTooLong);
        if (c == '&') {
            m_pos = DecodeEntity(m_pos);
        } else {
            m_text += c;
            ++m_pos;
        }
    }
    m_token = MarkupToken::Text;
    return true;
}

bool MarkupLexer::ReadName()
{
    while (IsNameChar(At(m_pos))) {
        if (m_name.size() == kMaxName) return Fail(MarkupLexFailure::NameTooLong);
        m_name += At(m_pos++);
    }
    if (m_name.empty()) return Fail(MarkupLexFailure::EmptyName);
    m_token = MarkupToken::Name;
    return true;
}

// An unquoted value may hold blanks: it runs up to ">" or up to the next
// "name=" pair after a blank, which then starts the next attribute.
bool MarkupLexer::ReadUnquotedValue()
{
    const size_t start = m_pos;
    size_t end = start;
    bool blankSeen = false;
    for (;;) {
        const char c = At(m_pos);
        if (c == '\0' || c == '>') {
            end = m_pos;
            break;
        }
        if (c == '=' && blankSeen) {
            size_t e = m_pos;
            while (e > start && IsBlank(m_input[e - 1])) --e;
            while (e > start && IsNameChar(m_input[e - 1])) --e;
            const size_t nameStart = e;
            while (e > start && IsBlank(m_input[e - 1])) --e;
            end = e;
            m_pos = nameStart;
            break;
        }
        if (IsBlank(c)) blankSeen = true;
        ++m_pos;
        if (m_pos - start > kMaxName && !blankSeen) return Fail(MarkupLexFailure::NameTooLong);
    }
    if (end - start > kMaxName) return Fail(MarkupLexFailure::NameTooLong);
    if (end == start) return Fail(MarkupLexFailure::EmptyName);
    m_name.assign(m_input, start, end - start);
    m_token = MarkupToken::Name;
    return true;
}

bool MarkupLexer::ReadText()
{
    for (;;) {
        const char c = At(m_pos);
        if (c == '<') break;
        if (c == '\0') return Fail(MarkupLexFailure::UnterminatedText);
        if (m_text.size() >= kMaxText) return Fail(MarkupLexFailure::TextTooLong);
        if (c == '&') {
            m_pos = DecodeEntity(m_pos);
        } else {
            m_text += c;
            ++m_pos;
        }
    }
    bool nameLike = m_text.size() <= kMaxName;
    for (size_t i = 0; nameLike && i < m_text.size(); ++i) nameLike = IsNameChar(m_text[i]);
    if (nameLike) {
        m_name = m_text;
        m_token = MarkupToken::Name;
    } else {
        m_token = MarkupToken::Text;
    }
    return true;
}

}  // namespace codeburg
