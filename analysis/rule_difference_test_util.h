#pragma once

// Compares the classic and the modern method rule body by body, a body being
// known by the offset of its "{". The property both rules keep:
//
//   Every classic method body is a modern method body with the same closing
//   brace and the same eloc, asserts, empty lines and comment lines in the
//   body. The comment lines above it (header comments, counted since the last
//   statement end or body outside a method) are the same too, unless between
//   the previous common body and this one a body lies that only one rule
//   counts (it took them in, or let them run on), or the rules read past
//   different parentheses (whose ";" and comment lines then count for one
//   rule only). Names, classes and parameter counts may differ, since the
//   modern rule reads them as a programmer would.
//
//   The exceptions, classic bodies that are no modern body, each for a reason
//   the modern rule can tell:
//   - "parentheses": the brace stands inside parentheses, as in a
//     constructor's initialiser "m_size({2, 3})";
//   - "initialiser": a member's braces in an initialiser list, "m_a{1}";
//   - "declaration": the statement is a namespace, type or enum head whose
//     classic signature was a macro or specifier before the keyword;
//   - "not a name": the classic method name is a control word or a
//     specifier ("if", "catch", "noexcept", "sizeof" ...);
//   - "stale signature": the classic signature was read before another
//     brace, which the classic rule lets it outlive;
//   - "java outside a type": a Java body whose enclosing braces are no type
//     body, or none at all;
//   - "read past": the brace never reached the modern rule, which read past
//     it inside parentheses that the classic rule did not read past: after a
//     specifier or a control word, or after a signature the classic rule
//     kept when the modern one had dropped it;
//   - "follows an exception": the previous classic body was an exception
//     too, and no body both rules count lies between: the rules still carry
//     different signatures and colons from there.
// These hold where parentheses and braces pair up (outside literals,
// comments and directives). Where they do not, the rules may read past
// different groups and then part ways: a difference there that fits no
// class above is counted as "unbalanced". Anything else is a violation.
#include <algorithm>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/source_scanner.h"
#include "analysis/source_tokenizer.h"
#include "records/file_stats.h"

namespace codeburg::testing {

struct RuleDifference {
    size_t classicBodies = 0;
    size_t modernBodies = 0;
    size_t sameFigures = 0;             // classic bodies with every compared figure equal
    size_t otherHeaderComments = 0;     // ... but for the header comments, beside an unshared body
    size_t readPastHeaderComments = 0;  // ... or after parentheses read past by one rule only
    std::map<std::string, size_t> exceptions;
    std::vector<std::string> violations;

    void Add(const RuleDifference& other)
    {
        classicBodies += other.classicBodies;
        modernBodies += other.modernBodies;
        sameFigures += other.sameFigures;
        otherHeaderComments += other.otherHeaderComments;
        readPastHeaderComments += other.readPastHeaderComments;
        for (const auto& [name, count] : other.exceptions) exceptions[name] += count;
        violations.insert(violations.end(), other.violations.begin(), other.violations.end());
    }
};

inline bool IsControlOrSpecifier(std::string_view name)
{
    static constexpr std::string_view kWords[] = {
        "if",          "for",           "while",         "switch",     "catch",      "synchronized",
        "noexcept",    "throw",         "alignas",       "alignof",    "sizeof",     "decltype",
        "typeof",      "requires",      "static_assert", "asm",        "__asm",      "__asm__",
        "_Alignas",    "_Alignof",      "__typeof",      "__typeof__", "__decltype", "__declspec",
        "__attribute", "__attribute__", "_Static_assert"};
    return std::find(std::begin(kWords), std::end(kWords), name) != std::end(kWords);
}

// Whether every "(" and "{" is closed by its own ")" or "}", in order.
inline bool BracketsPairUp(std::string_view text)
{
    SourceTokenizer tokens(text.data(), text.size());
    std::string open;
    for (;;) {
        switch (tokens.NextToken()) {
            case Token::End:
                return open.empty() && tokens.position() == text.size();
            case Token::Hash:
                tokens.SkipDirective();
                break;
            case Token::OpenParen:
                open.push_back('(');
                break;
            case Token::OpenBrace:
                open.push_back('{');
                break;
            case Token::CloseParen:
            case Token::CloseBrace: {
                const char expected =
                    tokens.position() > 0 && text[tokens.position() - 1] == ')' ? '(' : '{';
                if (open.empty() || open.back() != expected) return false;
                open.pop_back();
                break;
            }
            default:
                break;
        }
    }
}

inline RuleDifference CompareRules(std::string_view text, ScanLanguage language)
{
    const std::vector<char> bytes(text.begin(), text.end());  // exact copy: no slack to read
    FileStats classicStats("a.cpp", 25, uint32_t{0}), modernStats("a.cpp", 25, uint32_t{0});
    ScanTrace classic, modern;
    ScanBufferTraced(classicStats, bytes.data(), bytes.size(), language, MethodRule::Classic,
                     classic);
    ScanBufferTraced(modernStats, bytes.data(), bytes.size(), language, MethodRule::Modern, modern);

    RuleDifference d;
    d.classicBodies = classic.bodies.size();
    d.modernBodies = modern.bodies.size();
    std::map<size_t, const ScanTrace::Body*> modernBodies;
    for (const auto& body : modern.bodies) modernBodies[body.open] = &body;
    std::map<size_t, size_t> classicOpen;  // open offset, for telling modern-only bodies
    for (const auto& body : classic.bodies) classicOpen[body.open] = body.close;
    std::map<size_t, BraceReason> reasons;
    std::vector<size_t> braceOffsets;
    for (const auto& brace : modern.braces) {
        reasons[brace.offset] = brace.reason;
        braceOffsets.push_back(brace.offset);
    }
    const bool balanced = BracketsPairUp(text);
    auto braceBetween = [&](size_t from, size_t to) {
        const auto it = std::upper_bound(braceOffsets.begin(), braceOffsets.end(), from);
        return it != braceOffsets.end() && *it < to;
    };
    // Whether a body only one rule counts opens or closes in (from, to).
    std::vector<std::pair<size_t, size_t>> unshared;
    for (const auto& body : modern.bodies)
        if (!classicOpen.count(body.open)) unshared.push_back({body.open, body.close});
    for (const auto& body : classic.bodies)
        if (!modernBodies.count(body.open)) unshared.push_back({body.open, body.close});
    auto unsharedBodyIn = [&](size_t from, size_t to) {
        return std::any_of(unshared.begin(), unshared.end(), [&](const auto& body) {
            return (body.first > from && body.first < to) ||
                   (body.second != ScanTrace::kOpen && body.second + 1 > from && body.second < to);
        });
    };
    auto readPastDiffers = [&](size_t from, size_t to) {
        auto within = [&](const ScanTrace& trace) {
            std::vector<std::pair<size_t, size_t>> ranges;
            for (const auto& range : trace.readPast)
                if (range.first > from && range.first < to) ranges.push_back(range);
            return ranges;
        };
        return within(classic) != within(modern);
    };
    auto violation = [&](const ScanTrace::Body& body, const std::string& what) {
        if (!balanced) {
            ++d.exceptions["unbalanced"];
            return;
        }
        d.violations.push_back("classic body '" + body.method->methodName + "' at " +
                               std::to_string(body.open) + ": " + what);
    };

    size_t previousShared = 0;  // the close of the previous body both rules count
    bool previousWasException = false;
    for (const auto& body : classic.bodies) {
        const MethodStats& c = *body.method;
        const auto found = modernBodies.find(body.open);
        if (found != modernBodies.end()) {
            const ScanTrace::Body& modernBody = *found->second;
            const MethodStats& m = *modernBody.method;
            if (modernBody.close != body.close)
                violation(body, "closes elsewhere under the modern rule");
            else if (m.eloc != c.eloc || m.asserts != c.asserts || m.emptyLines != c.emptyLines)
                violation(body, "different eloc, asserts or empty lines");
            else if (m.commentLines - modernBody.headerComments !=
                     c.commentLines - body.headerComments)
                violation(body, "different comment lines in the body");
            else if (modernBody.headerComments == body.headerComments)
                ++d.sameFigures;
            else if (unsharedBodyIn(previousShared, body.open))
                ++d.otherHeaderComments;
            else if (readPastDiffers(previousShared, body.open))
                ++d.readPastHeaderComments;
            else
                violation(body, "different header comments");
            if (body.close != ScanTrace::kOpen) previousShared = body.close;
            previousWasException = false;
        } else {
            const auto reason = reasons.find(body.open);
            const BraceReason r = reason == reasons.end() ? BraceReason::Close : reason->second;
            std::string exception;
            if (reason == reasons.end())
                exception = "read past";
            else if (r == BraceReason::InParens)
                exception = "parentheses";
            else if (r == BraceReason::Initialiser)
                exception = "initialiser";
            else if (r == BraceReason::Namespace || r == BraceReason::Type ||
                     r == BraceReason::Enum)
                exception = "declaration";
            else if (IsControlOrSpecifier(c.methodName))
                exception = "not a name";
            else if ((r == BraceReason::NoSignature || r == BraceReason::Excluded) &&
                     braceBetween(body.signature, body.open))
                exception = "stale signature";
            else if (language == ScanLanguage::Java &&
                     (r == BraceReason::OutsideType || r == BraceReason::InOther))
                exception = "java outside a type";
            else if (previousWasException)
                exception = "follows an exception";
            previousWasException = true;
            if (exception.empty())
                violation(body, "no modern body, reason " + std::to_string(static_cast<int>(r)));
            else
                ++d.exceptions[exception];
        }
    }
    return d;
}

}  // namespace codeburg::testing
