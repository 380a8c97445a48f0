#include "workspace/markup_parser.h"

#include "platform/path_util.h"

namespace codeburg {

int MarkupParser::Attribute(Handle, const std::string&, const std::string&)
{
    return 0;
}

void MarkupParser::Text(Handle, const std::string&) {}
void MarkupParser::ProcessingInstruction(Handle, const std::string&, const std::string&) {}
void MarkupParser::Comment(Handle, const std::string&) {}
void MarkupParser::CData(Handle, const std::string&) {}

void MarkupParser::SetError(MarkupError code)
{
    if (m_error == MarkupError::None) m_error = code;
}

bool MarkupParser::NextToken()
{
    if (m_lexer.Next()) return true;
    SetError(MarkupError::Lexer);
    return false;
}

bool MarkupParser::IsNameToken() const
{
    return token() == MarkupToken::Name || token() == MarkupToken::Reserved5;
}

bool MarkupParser::IsValueToken() const
{
    return IsNameToken() || token() == MarkupToken::Text || token() == MarkupToken::Reserved7 ||
           token() == MarkupToken::Reserved8;
}

int MarkupParser::Parse(std::string_view bytes)
{
    m_error = MarkupError::None;
    m_openElements.clear();
    m_limitReason.clear();
    m_lexer.SetInput(bytes);
    if (NextToken()) ReadContent(nullptr);
    return m_error == MarkupError::Lexer ? 0 : static_cast<int>(m_error);
}

bool MarkupParser::Incomplete() const
{
    if (m_error == MarkupError::Lexer) return true;
    return m_error == MarkupError::None && token() != MarkupToken::EndOfInput;
}

std::string MarkupParser::IncompleteReason() const
{
    if (!Incomplete()) return {};
    if (!m_limitReason.empty()) return m_limitReason;
    switch (m_lexer.failure()) {
        case MarkupLexFailure::UnterminatedText:
            return "input ends inside a quoted string or text";
        case MarkupLexFailure::TextTooLong:
            return "text longer than " + std::to_string(MarkupLexer::kMaxText) + " bytes";
        case MarkupLexFailure::NameTooLong:
            return "name or unquoted value longer than " + std::to_string(MarkupLexer::kMaxName) +
                   " bytes";
        case MarkupLexFailure::EmptyName:
            return "a name or value is missing";
        case MarkupLexFailure::UnterminatedComment:
            return "unterminated comment";
        case MarkupLexFailure::UnterminatedCData:
            return "unterminated CDATA section";
        case MarkupLexFailure::UnterminatedDeclaration:
            return "unterminated declaration";
        case MarkupLexFailure::None:
            break;
    }
    return "end tag outside any element";
}

void MarkupParser::StopAtLimit(std::string reason)
{
    if (m_error != MarkupError::None) return;
    m_limitReason = std::move(reason);
    SetError(MarkupError::Lexer);
}

void MarkupParser::ReadContent(Handle parent)
{
    while (m_error == MarkupError::None) {
        switch (token()) {
            case MarkupToken::EndOfInput:
            case MarkupToken::EndTagOpen:
                return;
            case MarkupToken::TagOpen:
                // Invariant: the open-element stack never holds more than kMaxDepth
                // names, which bounds the recursion of element rules.
                if (m_openElements.size() >= kMaxDepth) {
                    StopAtLimit("elements nested deeper than " + std::to_string(kMaxDepth) +
                                " levels");
                    return;
                }
                ParseElement(parent);
                break;
            case MarkupToken::Name:
            case MarkupToken::Reserved5:
            case MarkupToken::Text:
                Text(parent, TokenText());
                NextToken();
                break;
            case MarkupToken::PiOpen:
                ReadProcessingInstruction(parent);
                break;
            case MarkupToken::Comment:
                Comment(parent, TokenText());
                NextToken();
                break;
            case MarkupToken::CData:
                CData(parent, TokenText());
                NextToken();
                break;
            default:
                SetError(MarkupError::Syntax);
                return;
        }
    }
}

void MarkupParser::ReadProcessingInstruction(Handle parent)
{
    if (!NextToken()) return;
    if (!IsNameToken()) return SetError(MarkupError::Syntax);
    const std::string target = TokenText();
    if (!NextToken()) return;
    ReadAttributes(nullptr);
    if (m_error != MarkupError::None) return;
    if (token() != MarkupToken::PiEnd) return SetError(MarkupError::Syntax);
    ProcessingInstruction(parent, target, std::string());
    NextToken();
}

void MarkupParser::ParseElement(Handle parent)
{
    if (token() != MarkupToken::TagOpen) return SetError(MarkupError::Syntax);
    if (!NextToken()) return;
    if (!IsNameToken()) return SetError(MarkupError::Syntax);
    const std::string tag = TokenText();
    if (!NextToken()) return;
    FinishElement(StartElement(parent, tag, nullptr), tag);
}

void MarkupParser::FinishElement(Handle handle, const std::string& tag)
{
    m_openElements.push_back(tag);
    const size_t index = m_openElements.size() - 1;
    ReadAttributes(handle);
    if (m_error != MarkupError::None) return;
    ReadElementRest(handle, index);
}

void MarkupParser::ReadAttributes(Handle handle)
{
    while (m_error == MarkupError::None) {
        const MarkupToken t = token();
        if (t == MarkupToken::TagEnd || t == MarkupToken::EmptyTagEnd || t == MarkupToken::PiEnd ||
            t == MarkupToken::EndOfInput)
            return;
        if (!IsNameToken()) return SetError(MarkupError::Syntax);
        const std::string name = TokenText();
        if (!NextToken()) return;
        std::string value;
        if (token() == MarkupToken::Equals) {
            m_lexer.SetValueMode(true);
            const bool ok = NextToken();
            m_lexer.SetValueMode(false);
            if (!ok) return;
            if (!IsValueToken()) return SetError(MarkupError::Syntax);
            value = TokenText();
            if (handle && Attribute(handle, name, value) != 0)
                return SetError(MarkupError::Stopped);
            NextToken();
        } else if (handle && Attribute(handle, name, value) != 0) {
            return SetError(MarkupError::Stopped);
        }
    }
}

void MarkupParser::CloseElement(Handle handle)
{
    if (handle && EndElement(handle, static_cast<int>(m_error)) != 0)
        SetError(MarkupError::Stopped);
}

void MarkupParser::ReadElementRest(Handle handle, size_t index)
{
    if (token() == MarkupToken::EmptyTagEnd) {
        NextToken();
        m_openElements.pop_back();
        return CloseElement(handle);
    }
    if (token() != MarkupToken::TagEnd) return SetError(MarkupError::Syntax);
    if (!NextToken()) return;
    ReadContent(handle);
    if (m_error != MarkupError::None) return;
    ReadEndTagAfterContent(handle, index);
}

// Consumes "</", a name and ">" and fetches the token after them.
bool MarkupParser::ConsumeEndTag()
{
    if (token() != MarkupToken::EndTagOpen) {
        SetError(MarkupError::Syntax);
        return false;
    }
    if (!NextToken()) return false;
    if (!IsNameToken()) {
        SetError(MarkupError::Syntax);
        return false;
    }
    if (!NextToken()) return false;
    if (token() != MarkupToken::TagEnd) {
        SetError(MarkupError::Syntax);
        return false;
    }
    NextToken();
    return true;
}

void MarkupParser::ReadEndTagAfterContent(Handle handle, size_t index)
{
    if (!m_checkEndTags) {
        if (!ConsumeEndTag()) return;
        m_openElements.pop_back();
        return CloseElement(handle);
    }
    // An inner element already closed this one implicitly: its end tag named
    // an element further out and popped the stack past this entry.
    if (m_openElements.size() <= index) return CloseElement(handle);
    // Content ended at the end of the input: the end tag cannot be found.
    if (token() != MarkupToken::EndTagOpen) return SetError(MarkupError::Syntax);

    const MarkupLexer::Mark mark = m_lexer.Save();
    if (!NextToken()) return;
    const bool named = IsNameToken();
    const std::string name = TokenText();
    m_lexer.Restore(mark);

    size_t match = m_openElements.size();
    for (size_t i = m_openElements.size(); named && i-- > 0;) {
        if (EqualsNoCase(m_openElements[i], name)) {
            match = i;
            break;
        }
    }
    if (match == m_openElements.size() - 1) {
        if (!ConsumeEndTag()) return;
        m_openElements.pop_back();
        return CloseElement(handle);
    }
    if (match < m_openElements.size()) {
        // The enclosing elements meet the same end tag in turn.
        m_openElements.resize(match + 1);
        return CloseElement(handle);
    }
    // A stray end tag: it and a directly following one are dropped, and this
    // element is neither popped nor reported closed.
    if (!ConsumeEndTag()) return;
    if (token() == MarkupToken::EndTagOpen) ConsumeEndTag();
}

}  // namespace codeburg
