#include "analysis/modern_rules.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace codeburg {

namespace {

// Look-backs from a known position stop here, so that no input makes them
// cost more than a constant per signature.
constexpr ptrdiff_t kOperatorReach = 64;
constexpr ptrdiff_t kTemplateReach = 256;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The first byte at or before "p - 1" that is not a blank, plus one; "floor" at the most.
const char* SkipBlanksBack(const char* p, const char* floor)
{
    while (p > floor && IsBlank(p[-1])) --p;
    return p;
}

// The start of the word that ends at "end", or "end" when none does.
const char* WordStart(const char* end, const char* floor)
{
    const char* p = end;
    while (p > floor && IsWordByte(p[-1])) --p;
    return p;
}

// The "<" that opens the argument list whose ">" is at close[-1], or null.
const char* MatchingAngle(const char* close, const char* floor)
{
    const char* stop = std::max(floor, close - kTemplateReach);
    int depth = 0;
    for (const char* p = close - 1; p >= stop; --p) {
        if (*p == '>') {
            ++depth;
        } else if (*p == '<') {
            if (--depth == 0) return p;
        } else if (*p == ';' || *p == '{' || *p == '}') {
            return nullptr;
        }
    }
    return nullptr;
}

// The word before a template argument list that ends right before "end"
// (blanks allowed between), as a view of the buffer; empty when there is none.
std::string_view NameBeforeArguments(const char* end, const char* floor)
{
    const char* close = SkipBlanksBack(end, floor);
    if (close == floor || close[-1] != '>') return {};
    if (close - 1 > floor && close[-2] == '-') return {};  // "->"
    const char* open = MatchingAngle(close, floor);
    if (!open) return {};
    const char* wordEnd = SkipBlanksBack(open, floor);
    const char* wordStart = WordStart(wordEnd, floor);
    if (wordStart == wordEnd) return {};
    return {wordStart, static_cast<size_t>(wordEnd - wordStart)};
}

// The bytes an operator's name may be made of after "operator": word bytes,
// blanks, symbols and the parentheses of "operator()".
constexpr std::array<bool, 256> MakeOperatorTable()
{
    std::array<bool, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '~' || c == ' ' || c == '\t';
    for (unsigned char c : std::string_view("+-*/%^&|~!=<>,[]\"()")) t[c] = true;
    return t;
}

constexpr std::array<bool, 256> kOperatorByte = MakeOperatorTable();

bool IsOperatorSymbol(char c)
{
    return kOperatorByte[static_cast<unsigned char>(c)] && !IsBlank(c) && !IsWordByte(c) &&
           c != '(' && c != ')';
}

// "operator" as a whole word in [floor, end), the last one from which only
// what an operator's name is made of leads to "end", or null. Bytes up to 16
// past "end" may be read when "limit" (the end of the buffer) allows: most
// windows hold no "op" at all, and 16 bytes are tested at once.
const char* FindOperatorKeyword(const char* floor, const char* end, const char* limit)
{
    constexpr std::string_view kWord = "operator";
    if (end - floor < static_cast<ptrdiff_t>(kWord.size())) return nullptr;
    const char* lastStart = end - kWord.size();  // the last place the word fits
#if defined(__SSE2__)
    if (limit - lastStart >= 17) {
        bool any = false;
        for (const char* p = floor; p <= lastStart && !any; p += 16) {
            const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
            const __m128i pair = _mm_and_si128(_mm_cmpeq_epi8(first, _mm_set1_epi8('o')),
                                               _mm_cmpeq_epi8(second, _mm_set1_epi8('p')));
            any = _mm_movemask_epi8(pair) != 0;
        }
        if (!any) return nullptr;
    }
#endif
    const char* p = end;
    while (p > floor && kOperatorByte[static_cast<unsigned char>(p[-1])]) --p;
    for (const char* at = lastStart; at >= p; --at) {
        if (at[0] == 'o' && at[1] == 'p' && std::memcmp(at, kWord.data(), kWord.size()) == 0 &&
            (at == floor || !IsWordByte(at[-1])))
            return at;
    }
    return nullptr;
}

// "operator" followed by what stands between it and "(": symbols, words of a
// conversion type, an empty "()"; blanks dropped but between two words.
bool OperatorName(const char* keyword, const char* paren, std::string& name)
{
    const char* p = keyword + 8;
    if (p < paren && IsWordByte(*p)) return false;  // "operators", not the keyword
    name = "operator";
    bool blankSeen = false;
    for (; p < paren; ++p) {
        const char c = *p;
        if (IsBlank(c)) {
            blankSeen = true;
            continue;
        }
        if (c == '(') {
            // Only the empty pair of "operator()".
            if (p + 1 >= paren || p[1] != ')') return false;
            name += "()";
            ++p;
        } else if (IsWordByte(c)) {
            if (blankSeen && IsWordByte(name.back())) name += ' ';
            name += c;
        } else if (IsOperatorSymbol(c)) {
            name += c;
        } else {
            return false;
        }
        blankSeen = false;
    }
    return true;
}

bool OneOf(std::string_view word, std::initializer_list<std::string_view> words)
{
    return std::find(words.begin(), words.end(), word) != words.end();
}

// "class", "struct", "union"; in Java "class", "interface", "enum", "record".
bool IsTypeKey(std::string_view word, bool java)
{
    if (word.size() < 4 || word.size() > 9) return false;
    switch (word[0]) {
        case 'c':
            return word == "class";
        case 's':
            return !java && word == "struct";
        case 'u':
            return !java && word == "union";
        case 'i':
            return java && word == "interface";
        case 'e':
            return java && word == "enum";
        case 'r':
            return java && word == "record";
        default:
            return false;
    }
}

// Words that may follow a function's parameter list before its body.
bool IsQualifier(std::string_view word)
{
    return OneOf(word,
                 {"const", "volatile", "noexcept", "override", "final", "try", "mutable", "throw",
                  "requires", "constexpr", "consteval", "__attribute__", "__declspec", "throws"});
}

struct KeyTables {
    std::array<bool, 256> word{};
    std::array<bool, 256> keyStart{};  // first letters of the keys
};

constexpr KeyTables MakeKeyTables()
{
    KeyTables t;
    for (int c = 0; c < 256; ++c)
        t.word[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '_' || c == '~';
    for (unsigned char c : std::string_view("ncsueir")) t.keyStart[c] = true;
    return t;
}

constexpr KeyTables kKeyTables = MakeKeyTables();

// "begin" bounds the look back: a key right after "<" or "," is a template
// parameter ("template <class T>") and heads nothing.
bool IsKey(const char* word, size_t length, const char* begin, bool java)
{
    if (length < 4 || length > 9 || !kKeyTables.keyStart[static_cast<unsigned char>(*word)])
        return false;
    const std::string_view text(word, length);
    if (!IsTypeKey(text, java) && text != "enum" && text != "namespace" && text != "extern")
        return false;
    const char* before = word;
    while (before > begin && (IsBlank(before[-1]) || before[-1] == '\n' || before[-1] == '\r'))
        --before;
    return before == begin || (before[-1] != '<' && before[-1] != ',');
}

// Whether [begin, end) may hold a word that heads a namespace, type or enum
// or "extern": much cheaper than reading the head, which is then only needed
// where this says yes. Reads 16 bytes at a time below "limit", the end of
// the buffer.
bool MayHoldKey(const char* begin, const char* end, const char* limit, bool java)
{
    const char* p = begin;
#if defined(__SSE2__)
    // A word starting in one block and ending in the next is read whole from
    // its start; "carry" says whether the byte before the block was a word byte.
    bool carry = false;
    while (p < end && limit - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i folded = _mm_or_si128(v, _mm_set1_epi8(0x20));
        const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(folded, _mm_set1_epi8('a' - 1)),
                                             _mm_cmplt_epi8(folded, _mm_set1_epi8('z' + 1)));
        const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('0' - 1)),
                                            _mm_cmplt_epi8(v, _mm_set1_epi8('9' + 1)));
        const __m128i other = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('_')),
                                           _mm_cmpeq_epi8(v, _mm_set1_epi8('~')));
        unsigned word = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(letter, digit), other)));
        const unsigned inRange =
            end - p >= 16 ? 0xFFFFu : (1u << static_cast<unsigned>(end - p)) - 1;
        word &= inRange;
        unsigned starts = word & ~((word << 1) | (carry ? 1u : 0u));
        for (; starts != 0; starts &= starts - 1) {
            const unsigned i = static_cast<unsigned>(__builtin_ctz(starts));
            const char* w = p + i;
            if (!kKeyTables.keyStart[static_cast<unsigned char>(*w)]) continue;
            // The run of word bits from i; a word reaching the block's end goes on bytewise.
            const unsigned run = static_cast<unsigned>(__builtin_ctz(~(word >> i)));
            const char* wordEnd = w + run;
            if (i + run == 16)
                while (wordEnd < end && kKeyTables.word[static_cast<unsigned char>(*wordEnd)])
                    ++wordEnd;
            if (IsKey(w, static_cast<size_t>(wordEnd - w), begin, java)) return true;
        }
        carry = (word >> 15) & 1u;
        p += 16;
    }
    // A word running on from the last block was read whole already.
    if (carry)
        while (p < end && kKeyTables.word[static_cast<unsigned char>(*p)]) ++p;
#endif
    const auto byte = [](const char* q) { return static_cast<unsigned char>(*q); };
    while (p < end) {
        if (!kKeyTables.word[byte(p)]) {
            ++p;
            continue;
        }
        const char* word = p;
        while (++p < end && kKeyTables.word[byte(p)]) {
        }
        if (IsKey(word, static_cast<size_t>(p - word), begin, java)) return true;
    }
    return false;
}

}  // namespace

std::string_view ReadQualifier(std::string_view word, const char* scope, const char* floor)
{
    const std::string_view name = NameBeforeArguments(scope, floor);
    return name.empty() ? word : name;
}

SignatureName ReadSignatureName(std::string_view word, const char* paren, const char* floor,
                                const char* limit, std::string& storage)
{
    SignatureName name;
    const char* reach = std::max(floor, paren - kOperatorReach);
    if (const char* keyword = FindOperatorKeyword(reach, paren, limit)) {
        if (OperatorName(keyword, paren, storage)) {
            name.text = storage;
            name.start = keyword;
            return name;
        }
    }
    const std::string_view templated = NameBeforeArguments(paren, floor);
    name.text = templated.empty() ? word : templated;
    name.start = name.text.data();
    return name;
}

StatementHead ReadStatementHead(const char* begin, const char* end, bool java,
                                const char* signature)
{
    StatementHead head;
    if (begin >= end) return head;
    SourceTokenizer tokens(begin, static_cast<size_t>(end - begin));
    enum class Phase { Key, Name, Done } phase = Phase::Key;
    // Depths are bounded by the head's size.
    int32_t parens = 0, brackets = 0, angles = 0;
    bool afterTemplate = false, afterName = false, afterExtern = false, externString = false;
    // 0 before the signature, 1 inside its parentheses, 2 after them.
    int signaturePart = 0;
    for (;;) {
        const Token token = tokens.NextToken();
        if (token == Token::End) break;
        if (token == Token::Newline || token == Token::LineComment) continue;
        if (token == Token::Hash) {
            tokens.SkipDirective();
            continue;
        }
        const char* at = begin + tokens.position();  // just after the token
        const char byte = token == Token::Other ? at[-1] : '\0';
        const std::string_view word = token == Token::Word ? tokens.word() : std::string_view();
        head.endsWithName = token == Token::Word || byte == '>';
        externString = token == Token::String && afterExtern;
        afterExtern = word == "extern";

        if (token == Token::OpenParen) {
            if (at - 1 == signature && parens == 0) signaturePart = 1;
            ++parens;
        } else if (token == Token::CloseParen) {
            if (--parens == 0 && signaturePart == 1) signaturePart = 2;
        } else if (byte == '[') {
            ++brackets;
        } else if (byte == ']') {
            --brackets;
        } else if (byte == '<' && (afterTemplate || afterName || angles > 0) &&
                   (at == end || (*at != '<' && *at != '='))) {
            ++angles;  // template parameters or arguments, not a comparison
        } else if (byte == '>' && angles > 0 && !(at - 1 > begin && at[-2] == '-')) {
            --angles;
        }
        afterTemplate = word == "template";
        afterName = token == Token::Word && !(word[0] >= '0' && word[0] <= '9');
        if (parens != 0 || brackets != 0 || angles != 0) continue;
        if (signaturePart == 2 &&
            ((token == Token::Word && !IsQualifier(word)) || token == Token::Colon))
            head.typeAfterSignature = true;

        if (phase == Phase::Done && !signature) break;  // the rest changes nothing used
        if (phase == Phase::Key) {
            if (token != Token::Word) continue;
            const bool typeKey = IsTypeKey(word, java);
            if (typeKey) {
                head.key = StatementHead::Key::Type;
                head.keyAt = word.data();
                phase = Phase::Name;
            } else if (!java && (word == "namespace" || word == "enum")) {
                head.key =
                    word == "enum" ? StatementHead::Key::Enum : StatementHead::Key::Namespace;
                head.keyAt = word.data();
                phase = Phase::Done;
            }
        } else if (phase == Phase::Name) {
            if (java) {
                // "record" and the other keys are only keys before a name.
                if (token == Token::Word) {
                    head.typeName = word;
                    phase = Phase::Done;
                } else if (byte != '<' && byte != '>') {
                    head = StatementHead{};
                    phase = Phase::Key;
                }
            } else if (token == Token::Word) {
                if (word != "final" && word != "sealed") head.typeName = word;
            } else if (token == Token::Colon) {
                phase = Phase::Done;  // the base clause
            } else if (byte == '=') {
                head.initialiser = true;
                phase = Phase::Done;
            }
        }
    }
    if (externString) head.key = StatementHead::Key::ExternC;
    return head;
}

ModernRules::WordRole ModernRules::RoleOf(std::string_view word)
{
    if (word.size() < 2) return WordRole::Name;
    switch (word[0]) {
        case '_':
            return OneOf(word, {"__attribute__", "__attribute", "__declspec", "_Alignas",
                                "_Alignof", "__typeof__", "__typeof", "__asm__", "__asm",
                                "_Static_assert", "__decltype"})
                       ? WordRole::Specifier
                       : WordRole::Name;
        case 'a':
            return OneOf(word, {"alignas", "alignof", "asm"}) ? WordRole::Specifier
                                                              : WordRole::Name;
        case 'c':
            return word == "catch" ? WordRole::Control : WordRole::Name;
        case 'd':
            return word == "decltype" ? WordRole::Specifier : WordRole::Name;
        case 'f':
            return word == "for" ? WordRole::Control : WordRole::Name;
        case 'i':
            return word == "if" ? WordRole::Control : WordRole::Name;
        case 'n':
            return word == "noexcept" ? WordRole::Specifier : WordRole::Name;
        case 'r':
            return word == "requires" ? WordRole::Specifier : WordRole::Name;
        case 's':
            if (OneOf(word, {"sizeof", "static_assert"})) return WordRole::Specifier;
            return OneOf(word, {"switch", "synchronized"}) ? WordRole::Control : WordRole::Name;
        case 't':
            return OneOf(word, {"throw", "typeof"}) ? WordRole::Specifier : WordRole::Name;
        case 'w':
            return word == "while" ? WordRole::Control : WordRole::Name;
        default:
            return WordRole::Name;
    }
}

void ModernRules::Capture(std::string_view word, const char* at)
{
    const SignatureName name = ReadSignatureName(word, at, m_headStart, m_end, m_operatorName);
    // The qualifier names the class only when it stands right before the
    // name: in "std::string name()" it qualifies the return type.
    const char* afterScope = m_qualifierAt ? m_qualifierAt + 2 : nullptr;
    if (afterScope)
        while (afterScope < at && IsBlank(*afterScope)) ++afterScope;
    if (afterScope && afterScope == name.start)
        m_pendingClass = ReadQualifier(m_qualifier, m_qualifierAt, m_headStart);
    else
        m_pendingClass = m_typeNames.empty() ? std::string_view() : m_typeNames.back();
    m_pendingName = name.text;
    m_pending = true;
    m_initialiserList = false;
    m_pendingAt = at;
}

void ModernRules::OpenBrace(const char* at)
{
    if (m_opaque != 0 || m_parenDepth != 0) {
        // Inside a body, an initialiser or parentheses: nothing opens here.
        NoteBrace(at, m_inMethod          ? BraceReason::InBody
                      : m_parenDepth != 0 ? BraceReason::InParens
                                          : BraceReason::InOther);
        // A signature waiting for its body keeps its initialiser list open.
        if (!m_pending) m_colonSeen = false;
        if (m_opaque != 0)
            ++m_inner;
        else
            Push(ScopeKind::Other, {});
        return;
    }
    const char* headStart = m_headStart ? m_headStart : at;
    // Most braces here open a body right after its signature, or an
    // initialiser: the head needs reading only when a keyword stands outside
    // the parameter list, or for the last token of an initialiser list.
    const bool noKey = m_pending ? !m_initialiserList &&
                                       !MayHoldKey(headStart, m_pendingAt, m_end, m_java) &&
                                       !MayHoldKey(m_pendingEnd, at, m_end, m_java)
                                 : !MayHoldKey(headStart, at, m_end, m_java);
    const StatementHead head =
        noKey ? StatementHead{}
              : ReadStatementHead(headStart, at, m_java, m_pending ? m_pendingAt : nullptr);
    using Key = StatementHead::Key;
    // "struct S f() {" is a function returning a struct, while in
    // "@A(x) class B {" and "struct GTY(()) B : C {" the group is a macro's.
    const bool signatureAfterKey =
        m_pending && head.keyAt && m_pendingAt > head.keyAt && !head.typeAfterSignature;
    ScopeKind kind = ScopeKind::Other;
    std::string_view typeName;
    BraceReason reason = BraceReason::NoSignature;
    if (head.key == Key::ExternC || (head.key == Key::Namespace && !signatureAfterKey)) {
        kind = ScopeKind::Transparent;
        reason = BraceReason::Namespace;
    } else if (head.key == Key::Type && !head.initialiser && (m_java || !signatureAfterKey)) {
        kind = ScopeKind::Type;
        typeName = head.typeName;
        reason = BraceReason::Type;
    } else if (head.key == Key::Enum && !signatureAfterKey) {
        reason = BraceReason::Enum;
    } else if (!m_java && m_pending && m_initialiserList && head.endsWithName) {
        // "m_a{1}" in a constructor's initialiser list: the signature waits
        // for its body.
        NoteBrace(at, BraceReason::Initialiser);
        Push(ScopeKind::Other, {});
        return;
    } else if (m_pending) {
        if (IsExcludedSignature(m_pendingName)) {
            reason = BraceReason::Excluded;
        } else if (m_java && m_scopes.empty()) {
            reason = BraceReason::OutsideType;  // Java has no free functions
        } else {
            kind = ScopeKind::Method;
            reason = BraceReason::Method;
            StartMethod(m_pendingClass, m_pendingName, m_pendingParams, at, m_pendingAt);
        }
    }
    NoteBrace(at, reason);
    m_pending = false;
    m_colonSeen = false;
    m_initialiserList = false;
    Push(kind, typeName);
    NewHead(at);
}

void ModernRules::CloseBrace(const char* at)
{
    if (m_inner != 0) {
        --m_inner;
        NoteBrace(at, BraceReason::Close);
        return;
    }
    // An unmatched "}" closes nothing.
    if (m_scopes.empty()) {
        NoteBrace(at, BraceReason::Unmatched);
    } else {
        NoteBrace(at, BraceReason::Close);
        const ScopeKind kind = m_scopes.back();
        m_scopes.pop_back();
        if (kind == ScopeKind::Method)
            FinishMethod(at);
        else if (kind == ScopeKind::Type)
            m_typeNames.pop_back();
        if (kind == ScopeKind::Method || kind == ScopeKind::Other) m_opaque = 0;
    }
    // Inside a body or an initialiser no head is read.
    if (m_opaque == 0) NewHead(at);
}

}  // namespace codeburg
