#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "workspace/markup_lexer.h"

namespace codeburg {

// Why a parse stopped. Parse() reports Lexer as 0: input the lexer cannot cut
// into tokens ends the reading quietly.
enum class MarkupError : int {
    None = 0,
    Syntax = 1,                 // unexpected token
    FirstAttributeNotName = 2,  // raised only by element rules that demand it
    Stopped = 3,                // a callback asked to stop
    Lexer = 4,                  // no further token, or elements nested too deeply
};

// An event-driven reader of the forgiving tag language. Subclasses receive
// elements, attributes and content through the callbacks; element handles are
// whatever StartElement returns and are never touched by the parser. Whatever
// the callbacks built before a stop stays theirs. Elements nest at most
// kMaxDepth deep, so no input can exhaust the stack.
class MarkupParser {
public:
    using Handle = void*;
    static constexpr size_t kMaxDepth = 512;

    explicit MarkupParser(bool checkEndTags = true) : m_checkEndTags(checkEndTags) {}
    virtual ~MarkupParser() = default;
    MarkupParser(const MarkupParser&) = delete;
    MarkupParser& operator=(const MarkupParser&) = delete;

    // Reads one element starting at its "<".
    virtual void ParseElement(Handle parent);
    // Records the stop code; the first one recorded stays.
    virtual void SetError(MarkupError code);
    // The stop code, Lexer reported as 0.
    virtual int Parse(std::string_view bytes);

    // "nameValue" is null unless the element rule reads a first "name" attribute.
    virtual Handle StartElement(Handle parent, const std::string& tag,
                                const std::string* nameValue) = 0;
    // Non-zero stops the reading with code 3.
    virtual int EndElement(Handle element, int stopCode) = 0;
    virtual int Attribute(Handle element, const std::string& name, const std::string& value);
    virtual void Text(Handle parent, const std::string& text);
    virtual void ProcessingInstruction(Handle parent, const std::string& target,
                                       const std::string& data);
    virtual void Comment(Handle parent, const std::string& text);
    virtual void CData(Handle parent, const std::string& text);

    // True when the last Parse returned 0 without reaching the end of its
    // input (a token it could not read, a stray end tag at the top level, or
    // nesting past kMaxDepth). Callers that write the tree back must not
    // treat such a read as the whole file.
    bool Incomplete() const;
    std::string IncompleteReason() const;  // empty unless Incomplete()
    size_t StopOffset() const { return m_lexer.position(); }
    MarkupError error() const { return m_error; }

protected:
    // Building blocks for element rules.
    bool NextToken();  // false (and code 4) when the lexer fails
    MarkupToken token() const { return m_lexer.token(); }
    const std::string& TokenText() const { return m_lexer.TokenText(); }
    bool IsNameToken() const;
    bool IsValueToken() const;
    // Pushes the open element, reads its attributes and the rest of it.
    void FinishElement(Handle handle, const std::string& tag);
    // Ends the reading quietly, as a token the lexer cannot read does, because
    // the input exceeds a limit of the reader; "reason" names the limit.
    void StopAtLimit(std::string reason);

private:
    void ReadContent(Handle parent);
    void ReadProcessingInstruction(Handle parent);
    void ReadAttributes(Handle handle);
    void ReadElementRest(Handle handle, size_t index);
    void ReadEndTagAfterContent(Handle handle, size_t index);
    bool ConsumeEndTag();
    void CloseElement(Handle handle);

    MarkupLexer m_lexer;
    MarkupError m_error = MarkupError::None;
    std::vector<std::string> m_openElements;
    bool m_checkEndTags;
    std::string m_limitReason;  // why the reading stopped at a limit of the reader
};

}  // namespace codeburg
