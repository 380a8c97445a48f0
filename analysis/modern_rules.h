#pragma once

// The modern method rule for C, C++ and Java. Each "{" opens a scope of one
// kind: transparent (namespace, extern "C"), a type body, a method body, or
// anything else (initialisers, enum bodies, blocks). A body starts where a
// signature is pending and every open scope is transparent or a type body,
// so functions in namespaces, member functions written in their class and
// methods of nested Java types all count. Used by the scanner's drivers only.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/method_lines.h"

namespace codeburg {

enum class ScopeKind : uint8_t { Transparent, Type, Method, Other };

// What the words since the last ";", "{" or "}" say about the "{" that ends them.
struct StatementHead {
    enum class Key : uint8_t { None, Namespace, ExternC, Type, Enum };
    Key key = Key::None;
    const char* keyAt = nullptr;  // the keyword that decided "key"
    std::string_view typeName;    // for Key::Type; empty for an anonymous type
    bool initialiser = false;     // "=" after the type keyword: a variable
    bool endsWithName = false;    // the last token is a word or ">"
    // After the signature's parentheses: a name other than a qualifier
    // ("const", "override" ...), or a ":" of a base clause. Then the
    // "signature" was a macro such as "struct EXPORT(x) Name : Base {".
    bool typeAfterSignature = false;
};

// Reads the head [begin, end) with its own tokenizer; "signature" is the
// "(" of the pending signature, or null. Bytes are read only in that range,
// once per "{", and heads of different braces never overlap, so the whole
// file is read at most twice.
StatementHead ReadStatementHead(const char* begin, const char* end, bool java,
                                const char* signature);

// A signature's name as written before "(" at "paren": "operator+=" and
// "operator bool" for operators, "f" for "f<int>(". "word" is the last word
// token, the fallback. Looks back a bounded number of bytes, never before
// "floor", and reads ahead no further than "limit", the end of the buffer.
// "text" views the buffer, or "storage" for an operator's name.
struct SignatureName {
    std::string_view text;
    const char* start = nullptr;  // where the name begins in the buffer
};
SignatureName ReadSignatureName(std::string_view word, const char* paren, const char* floor,
                                const char* limit, std::string& storage);

// The qualifier before "::" at "scope": "Stack" for "Stack<T>::", else "word".
std::string_view ReadQualifier(std::string_view word, const char* scope, const char* floor);

class ModernRules : public MethodLines {
public:
    // "end" is the end of the scanned buffer.
    ModernRules(FileStats& stats, FileCounts& file, const char* end, bool java)
        : MethodLines(stats, file), m_java(java), m_end(end)
    {
    }

    static int32_t CountParameters(SourceTokenizer& tokens)
    {
        return tokens.CountTopLevelParameters();
    }

    void Code(const char* at)
    {
        m_lineBlank = false;
        NoteCode(at);
    }

    void Scope(std::string_view word, const char* at)
    {
        m_lineBlank = false;
        NoteCode(at);
        if (m_opaque != 0) return;
        // Read only when it names a class: see Capture.
        m_qualifier = word;
        m_qualifierAt = at;
    }

    template <typename CountParameters>
    void OpenParen(std::string_view word, const char* at, CountParameters countParameters)
    {
        m_lineBlank = false;
        NoteCode(at);
        if (m_opaque != 0) {
            if (m_inMethod) CountAssert(word);
            ++m_parenDepth;
            return;
        }
        // An initialiser list (after a ":") keeps the signature, and so does
        // a specifier such as noexcept(...); any other group replaces it.
        const WordRole role = RoleOf(word);
        if (m_pending && !m_colonSeen && role != WordRole::Specifier) m_pending = false;
        if (m_parenDepth != 0 || (m_pending && role != WordRole::Specifier)) {
            ++m_parenDepth;
            return;
        }
        // The group is read past wherever the classic rule reads past one,
        // so that both rules see the same tokens; only a name captures.
        if (role == WordRole::Name) {
            Capture(word, at);
            m_pendingParams = countParameters();
            m_pendingEnd = m_readPastEnd;
        } else {
            countParameters();
        }
    }

    void NoteReadPast(const char* open, const char* end)
    {
        m_readPastEnd = end;
        MethodLines::NoteReadPast(open, end);
    }

    void CloseParen(const char* at)
    {
        m_lineBlank = false;
        NoteCode(at);
        --m_parenDepth;
    }

    void Colon(const char* at)
    {
        m_lineBlank = false;
        NoteCode(at);
        m_colonSeen = true;
        m_initialiserList = m_pending;
    }

    void Semicolon(const char* at)
    {
        m_lineBlank = false;
        m_pending = false;
        m_colonSeen = false;
        m_initialiserList = false;
        StatementEnd();
        if (m_opaque == 0) NewHead(at);
    }

    void OpenBrace(const char* at);
    void CloseBrace(const char* at);

private:
    enum class WordRole : uint8_t { Name, Specifier, Control };
    static WordRole RoleOf(std::string_view word);

    void Capture(std::string_view word, const char* at);
    void Push(ScopeKind kind, std::string_view typeName)
    {
        m_scopes.push_back(kind);
        if (kind == ScopeKind::Type) m_typeNames.push_back(typeName);
        if (kind == ScopeKind::Method || kind == ScopeKind::Other) m_opaque = 1;
    }
    // The statement being read starts after "at", at its first code byte.
    void NewHead(const char*)
    {
        m_headStart = nullptr;
        m_qualifier = {};
        m_qualifierAt = nullptr;
    }
    void NoteCode(const char* at)
    {
        if (!m_headStart) m_headStart = at;
    }

    const bool m_java;
    const char* const m_end;
    // Open scopes, innermost last, without recursion however deep; the type
    // bodies' names apart, so that the innermost one is at hand. Nothing is
    // pushed over a method body or "other" scope: the braces inside it are
    // only counted.
    std::vector<ScopeKind> m_scopes;
    std::vector<std::string_view> m_typeNames;
    int32_t m_opaque = 0;  // 1 when the innermost scope is a method body or "other"
    int32_t m_inner = 0;   // braces open inside that scope
    // The first code byte since the last ";", "{" or "}", or null: comments
    // above a declaration are not read again with its head.
    const char* m_headStart = nullptr;
    std::string_view m_qualifier;  // the word before the last "::"
    const char* m_qualifierAt = nullptr;
    int32_t m_parenDepth = 0;
    // A ":" since the last ";" or "{", as the classic rule keeps it, so that
    // both rules read past the same parentheses; and one since the pending
    // signature was captured, which opens an initialiser list.
    bool m_colonSeen = false;
    bool m_initialiserList = false;
    bool m_pending = false;
    const char* m_pendingAt = nullptr;
    const char* m_pendingEnd = nullptr;  // just after its parameter list
    const char* m_readPastEnd = nullptr;
    std::string_view m_pendingClass;
    std::string_view m_pendingName;
    std::string m_operatorName;  // what m_pendingName views for an operator
    int32_t m_pendingParams = 0;
};

}  // namespace codeburg
