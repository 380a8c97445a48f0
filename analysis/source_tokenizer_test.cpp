#include "analysis/source_tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace codeburg {

namespace {

// A heap copy of exactly the text's bytes, so that AddressSanitizer sees any
// read past the end (a std::string would hide it behind its terminator).
std::vector<char> Bytes(std::string_view text)
{
    return std::vector<char>(text.begin(), text.end());
}

std::vector<Token> Tokens(std::string_view text)
{
    const auto bytes = Bytes(text);
    SourceTokenizer tokens(bytes.data(), bytes.size());
    std::vector<Token> kinds;
    for (Token t = tokens.NextToken(); t != Token::End; t = tokens.NextToken()) kinds.push_back(t);
    return kinds;
}

int32_t Parameters(std::string_view afterParen)
{
    const auto bytes = Bytes(afterParen);
    SourceTokenizer tokens(bytes.data(), bytes.size());
    return tokens.CountParameters();
}

}  // namespace

TEST(SourceTokenizerTest, CutsPunctuationWordsAndLiterals)
{
    using T = Token;
    EXPECT_EQ(
        Tokens("A::~A(a, b) : x {}; # 'c' \"s\" / + ?"),
        (std::vector<T>{T::Word, T::Scope, T::Word, T::OpenParen, T::Word, T::Comma, T::Word,
                        T::CloseParen, T::Colon, T::Word, T::OpenBrace, T::CloseBrace, T::Semicolon,
                        T::Hash, T::Char, T::String, T::Other, T::Other, T::Other}));
    // Bytes above 127 and NUL are single Other tokens, never word bytes.
    EXPECT_EQ(Tokens(std::string("a\xC3\xA9\0b", 5)),
              (std::vector<T>{T::Word, T::Other, T::Other, T::Other, T::Word}));
}

TEST(SourceTokenizerTest, LineEndsOfEveryKind)
{
    using T = Token;
    EXPECT_EQ(Tokens("a\nb\r\nc\rd\n\r"),
              (std::vector<T>{T::Word, T::Newline, T::Word, T::Newline, T::Word, T::Newline,
                              T::Word, T::Newline, T::Newline}));
}

TEST(SourceTokenizerTest, WordIsViewOfLastWord)
{
    const auto bytes = Bytes("first ( second ) \"third\" ;");
    SourceTokenizer tokens(bytes.data(), bytes.size());
    while (tokens.NextToken() != Token::End) {
    }
    EXPECT_EQ(tokens.word(), "second");  // literals do not replace it
}

TEST(SourceTokenizerTest, LiteralsEndAtUnescapedQuote)
{
    using T = Token;
    // "a\"b" is one string; "\\" ends at the quote after the two backslashes.
    EXPECT_EQ(Tokens(R"("a\"b" x "\\" y '\'' z '\\' w)"),
              (std::vector<T>{T::String, T::Word, T::String, T::Word, T::Char, T::Word, T::Char,
                              T::Word}));
    // Line breaks inside a literal yield no Newline; an open literal runs to the end.
    EXPECT_EQ(Tokens("\"a\nb\" c"), (std::vector<T>{T::String, T::Word}));
    EXPECT_EQ(Tokens("x \"open\n{"), (std::vector<T>{T::Word, T::String}));
    EXPECT_EQ(Tokens("x 'open\\"), (std::vector<T>{T::Word, T::Char}));
}

TEST(SourceTokenizerTest, LineCommentsAndSeparatorFlag)
{
    struct Case {
        const char* text;
        bool separator;
    } cases[] = {{"//", true},          {"//\n", true},     {"//////", true},
                 {"//-----\r\n", true}, {"// text", false}, {"//--+", false}};
    for (const Case& c : cases) {
        const auto bytes = Bytes(c.text);
        SourceTokenizer tokens(bytes.data(), bytes.size());
        EXPECT_EQ(tokens.NextToken(), Token::LineComment) << c.text;
        EXPECT_EQ(tokens.separator(), c.separator) << c.text;
        const Token next = tokens.NextToken();
        EXPECT_TRUE(next == Token::Newline || next == Token::End) << c.text;
    }
}

TEST(SourceTokenizerTest, BlockCommentsCountLineBreaksAndYieldNoToken)
{
    const auto bytes = Bytes("/* one */ a /* 1\n2\r\n3\r4\n5 */ b /*/ still open */ c /* open\n\n");
    SourceTokenizer tokens(bytes.data(), bytes.size());
    EXPECT_EQ(tokens.NextToken(), Token::Word);  // a
    EXPECT_EQ(tokens.blockCommentLines(), 1);    // at least 1 per comment
    EXPECT_EQ(tokens.NextToken(), Token::Word);  // b
    EXPECT_EQ(tokens.blockCommentLines(), 5);    // LF, CR LF and lone CR each count once
    EXPECT_EQ(tokens.NextToken(), Token::Word);  // c: "/*/" does not close
    EXPECT_EQ(tokens.blockCommentLines(), 6);
    // An unclosed comment ends the buffer and adds nothing.
    EXPECT_EQ(tokens.NextToken(), Token::End);
    EXPECT_EQ(tokens.NextToken(), Token::End);
    EXPECT_EQ(tokens.blockCommentLines(), 6);
    EXPECT_EQ(tokens.position(), bytes.size());
}

TEST(SourceTokenizerTest, CountParametersByCommasAndFirstWord)
{
    EXPECT_EQ(Parameters(")"), 0);
    EXPECT_EQ(Parameters("void)"), 0);
    EXPECT_EQ(Parameters("void* p)"), 1);
    EXPECT_EQ(Parameters("int a, int b)"), 2);
    // A function-pointer parameter's own commas count too.
    EXPECT_EQ(Parameters("void (*cb)(int, int))"), 2);
    EXPECT_EQ(Parameters("const char* s = \"a,b\", int n = f(1, 2))"), 3);
    EXPECT_EQ(Parameters("int a, // first\n int b) rest"), 2);
    EXPECT_EQ(Parameters("int a, int b"), 2);  // End stops the count
}

TEST(SourceTokenizerTest, DirectiveSkipsContinuedLines)
{
    const auto bytes = Bytes("#define X \\\r\n  { \\\n  }\nnext");
    SourceTokenizer tokens(bytes.data(), bytes.size());
    ASSERT_EQ(tokens.NextToken(), Token::Hash);
    EXPECT_FALSE(tokens.IncludeFollows());
    EXPECT_EQ(tokens.SkipDirective(), 2);
    EXPECT_EQ(tokens.NextToken(), Token::Newline);  // the last line break is left
    EXPECT_EQ(tokens.NextToken(), Token::Word);

    // A backslash as the last byte continues nothing and reads nothing beyond.
    const auto last = Bytes("#include <a.h> \\");
    SourceTokenizer atEnd(last.data(), last.size());
    ASSERT_EQ(atEnd.NextToken(), Token::Hash);
    EXPECT_TRUE(atEnd.IncludeFollows());
    EXPECT_EQ(atEnd.SkipDirective(), 0);
    EXPECT_EQ(atEnd.NextToken(), Token::End);

    const auto shortInclude = Bytes("#inclu");
    SourceTokenizer cut(shortInclude.data(), shortInclude.size());
    ASSERT_EQ(cut.NextToken(), Token::Hash);
    EXPECT_FALSE(cut.IncludeFollows());
}

}  // namespace codeburg
