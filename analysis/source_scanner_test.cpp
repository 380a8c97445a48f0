#include "analysis/source_scanner.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/rule_difference_test_util.h"
#include "analysis/scan_figures_test_util.h"
#include "records/file_stats.h"

namespace codeburg {

namespace {

// Scans an exact heap copy of "text", so that AddressSanitizer catches any
// read past its last byte.
std::unique_ptr<FileStats> Scan(std::string_view text, ScanLanguage language = ScanLanguage::C,
                                const char* name = "a.cpp")
{
    auto stats = std::make_unique<FileStats>(name, 25, uint32_t{0});
    const std::vector<char> bytes(text.begin(), text.end());
    EXPECT_EQ(ScanBuffer(*stats, bytes.data(), bytes.size(), language), 0);
    return stats;
}

struct Figures {
    std::string className, methodName;
    int32_t paramCount, eloc, commentLines, asserts, emptyLines;
    bool operator==(const Figures&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Figures& f)
{
    return os << "{" << f.className << "::" << f.methodName << " params " << f.paramCount
              << " eloc " << f.eloc << " comments " << f.commentLines << " asserts " << f.asserts
              << " empty " << f.emptyLines << "}";
}

std::vector<Figures> Methods(const FileStats& stats)
{
    std::vector<Figures> out;
    for (const auto& m : stats.methods)
        out.push_back({m->className, m->methodName, m->paramCount, m->eloc, m->commentLines,
                       m->asserts, m->emptyLines});
    return out;
}

struct Lines {
    int32_t lines, emptyLines, commentLines, asserts;
    bool operator==(const Lines&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Lines& l)
{
    return os << "{lines " << l.lines << " empty " << l.emptyLines << " comments " << l.commentLines
              << " asserts " << l.asserts << "}";
}

Lines LinesOf(const FileStats& s)
{
    return {s.lines, s.emptyLines, s.commentLines, s.asserts};
}

}  // namespace

// --- method recognition -------------------------------------------------------------

TEST(SourceScannerTest, MemberFunctionWithBraceOnItsOwnLine)
{
    const auto s = Scan(
        "void Foo::Bar(int a, int b)\n"
        "{\n"
        "    int x = a;\n"
        "    assert(x > 0);\n"
        "\n"
        "    // note\n"
        "    x += b;\n"
        "}\n");
    EXPECT_EQ(Methods(*s), (std::vector<Figures>{{"Foo", "Bar", 2, 2, 1, 1, 2}}));
    EXPECT_EQ(LinesOf(*s), (Lines{8, 3, 1, 1}));
    EXPECT_EQ(s->Eloc(), 3);
    ASSERT_EQ(s->classes.size(), 1u);
    EXPECT_EQ(s->methods[0]->cls, s->classes[0].get());
    EXPECT_EQ(s->methodElocSum, 2);
    EXPECT_EQ(s->maxMethodEloc, 2);
    EXPECT_EQ(s->elocWithinLimit, 2);
}

TEST(SourceScannerTest, BraceEndingTheSignatureLineGivesTheSameEloc)
{
    const auto s = Scan(
        "void Foo::Bar(int a, int b) {\n"
        "    int x = a;\n"
        "    assert(x > 0);\n"
        "\n"
        "    // note\n"
        "    x += b;\n"
        "}\n");
    EXPECT_EQ(Methods(*s), (std::vector<Figures>{{"Foo", "Bar", 2, 2, 1, 1, 1}}));
}

TEST(SourceScannerTest, OneLineFunctionsPrototypesAndParameterLists)
{
    const auto s = Scan(
        "int one() { return 1; }\n"
        "void declared(int a, int b);\n"
        "int none(void) {\n  return 0;\n}\n"
        "void cb(void (*f)(int, int)) {\n}\n"
        "int two(int a, int b) {\n}\n");
    EXPECT_EQ(Methods(*s), (std::vector<Figures>{{"", "none", 0, 1, 0, 0, 0},
                                                 {"", "one", 0, 0, 0, 0, 0},
                                                 {"", "cb", 2, 0, 0, 0, 0},
                                                 {"", "two", 2, 0, 0, 0, 0}}));
    EXPECT_TRUE(s->classes.empty());
}

TEST(SourceScannerTest, ConstructorsDestructorsOperatorsAndTemplates)
{
    const auto s = Scan(
        "Foo::Foo(int a, int b) : m_a(a), m_b(b)\n{\n    init();\n}\n"
        "Foo::~Foo()\n{\n}\n"
        "bool Foo::operator==(const Foo& o) const { return true; }\n"
        "Foo& Foo::operator()(int x) { return *this; }\n"
        "template <typename T>\n"
        "void Stack<T>::push(T value) { items.push_back(value); }\n"
        "void a::b::Inner::run() {}\n");
    EXPECT_EQ(Methods(*s), (std::vector<Figures>{{"Foo", "Foo", 2, 1, 0, 0, 1},
                                                 {"Foo", "~Foo", 0, 0, 0, 0, 1},
                                                 {"Foo", "operator", 1, 0, 0, 0, 0},
                                                 {"Foo", "operator", 1, 0, 0, 0, 0},
                                                 {"T", "push", 1, 0, 0, 0, 0},
                                                 {"Inner", "run", 0, 0, 0, 0, 0}}));
    EXPECT_EQ(s->constructors, 1);
    ASSERT_EQ(s->classes.size(), 3u);  // order of first appearance
    EXPECT_EQ(s->classes[0]->name, "Foo");
    EXPECT_EQ(s->classes[1]->name, "T");
    EXPECT_EQ(s->classes[2]->name, "Inner");
}

TEST(SourceScannerTest, BodiesInsideNamespacesAndClassesAreNotMethods)
{
    const auto s = Scan(
        "namespace n {\nvoid f() {\n    assert(1);\n}\n}\n"
        "class C {\n    void g() { h(); }\n};\n");
    EXPECT_TRUE(s->methods.empty());
    EXPECT_EQ(s->asserts, 0);
}

TEST(SourceScannerTest, ExcludedSignaturesStartNoMethod)
{
    const auto s = Scan(
        "BEGIN_MESSAGE_MAP(CView, CWnd)\n{\n  ASSERT(1);\n}\n"
        "IMPLEMENT_DYNCREATE(CView, CWnd) {}\n"
        "IMPLEMENT_DYNAMIC(CView, CWnd) {}\n"
        "void CView::DoDataExchange(CDataExchange* pDX)\n{\n    ASSERT(pDX);\n}\n"
        "void CView::Draw() {}\n");
    EXPECT_EQ(Methods(*s), (std::vector<Figures>{{"CView", "Draw", 0, 0, 0, 0, 0}}));
    EXPECT_EQ(s->asserts, 0);
}

TEST(SourceScannerTest, UnbalancedParenthesisStopsLaterCaptures)
{
    const auto s = Scan("void f() {\n    g((1);\n}\nvoid h() {\n}\n");
    ASSERT_EQ(s->methods.size(), 1u);
    EXPECT_EQ(s->methods[0]->methodName, "f");
}

TEST(SourceScannerTest, JavaMethodsSitOneBraceDeep)
{
    const auto s = Scan(
        "import java.util.List;\n"
        "import java.util.Map;\n"
        "#include <not_counted_in_java.h>\n"
        "public class A {\n"
        "    public A(int x) {\n"
        "        this.x = x;\n"
        "    }\n"
        "    void b() {}\n"
        "    int c(int p, int q) {\n"
        "        class Inner { void d() { } }\n"
        "        return p + q; // import\n"
        "    }\n"
        "    int importance;\n"
        "}\n",
        ScanLanguage::Java, "A.java");
    EXPECT_EQ(Methods(*s),
              (std::vector<Figures>{
                  {"", "c", 2, 2, 1, 0, 0}, {"", "A", 1, 1, 0, 0, 0}, {"", "b", 0, 0, 0, 0, 0}}));
    EXPECT_TRUE(s->classes.empty());
    EXPECT_EQ(s->constructors, 0);
    EXPECT_EQ(s->includes, 2);
}

TEST(SourceScannerTest, AssemblerLabelsOpenProcedures)
{
    const auto s = Scan(
        "; header\n"
        "start:\n"
        "    mov ax, 1 ; set\n"
        "    ; comment only\n"
        "\n"
        "next:\n"
        "    ret\n",
        ScanLanguage::Assembler, "boot.asm");
    EXPECT_EQ(Methods(*s), (std::vector<Figures>{{"boot.asm", "start", 0, 3, 2, 0, 1},
                                                 {"boot.asm", "next", 0, 2, 0, 0, 0}}));
    ASSERT_EQ(s->classes.size(), 1u);
    EXPECT_EQ(s->classes[0]->name, "boot.asm");
    EXPECT_EQ(LinesOf(*s), (Lines{7, 1, 3, 0}));
}

TEST(SourceScannerTest, AssemblerCommentOnlyLinesAndHeaders)
{
    // "//" lines are comment-only for the procedure but never raise the
    // file's comment count, so a separator outside a procedure takes none back.
    const auto s = Scan(
        "// about main\n"
        "////\n"
        "#include \"x.inc\"\n"
        "// about it\n"
        "main:\n"
        "    // inside\n"
        "    nop\n",
        ScanLanguage::Assembler, "m.asm");
    EXPECT_EQ(Methods(*s), (std::vector<Figures>{{"m.asm", "main", 0, 2, 2, 0, 0}}));
    EXPECT_EQ(LinesOf(*s), (Lines{7, 1, 0, 0}));
    EXPECT_EQ(s->includes, 1);
}

// Found by fuzzing: the separator's take-back drove the count below zero.
TEST(SourceScannerTest, AssemblerSeparatorsNeverMakeCommentsNegative)
{
    EXPECT_EQ(LinesOf(*Scan("//\n", ScanLanguage::Assembler)), (Lines{1, 1, 0, 0}));
    EXPECT_EQ(LinesOf(*Scan("; one\n//----\n////\n", ScanLanguage::Assembler)),
              (Lines{3, 2, 1, 0}));
}

// --- line accounting ----------------------------------------------------------------

TEST(SourceScannerTest, FinalLineBreakAndEmptyFile)
{
    EXPECT_EQ(LinesOf(*Scan("")), (Lines{0, 0, 0, 0}));
    EXPECT_EQ(LinesOf(*Scan("a;")), (Lines{1, 0, 0, 0}));
    EXPECT_EQ(LinesOf(*Scan("a;\nb;")), (Lines{2, 0, 0, 0}));
    EXPECT_EQ(LinesOf(*Scan("a;\nb;\n")), (Lines{2, 0, 0, 0}));
    EXPECT_EQ(LinesOf(*Scan("\n")), (Lines{1, 1, 0, 0}));
    EXPECT_TRUE(Scan("")->methods.empty());
}

TEST(SourceScannerTest, CommentEmptyAndBraceLinesOutsideMethods)
{
    // A separator comment is an empty line; braces alone leave a line blank;
    // a trailing comment takes its code line out of the file's eloc.
    const auto s = Scan(
        "//////\n"
        "//\n"
        "// text\n"
        "{\n"
        "}\n"
        "int x; // trailing\n");
    EXPECT_EQ(LinesOf(*s), (Lines{6, 4, 2, 0}));
    EXPECT_EQ(s->Eloc(), 0);
}

TEST(SourceScannerTest, CommentsInsideMethodsAndAboveThem)
{
    const auto s = Scan(
        "// first header\n"
        "int unrelated;\n"  // a semicolon forgets the comments above it
        "// header one\n"
        "// header two\n"
        "#pragma once\n"  // so does a directive
        "// header three\n"
        "void f()\n"
        "{\n"
        "    x(); // trailing\n"
        "    //----------\n"
        "    // plain\n"
        "}\n");
    EXPECT_EQ(Methods(*s), (std::vector<Figures>{{"", "f", 0, 1, 3, 0, 2}}));
    EXPECT_EQ(LinesOf(*s), (Lines{12, 3, 7, 0}));
}

TEST(SourceScannerTest, BlockCommentsCountOnlyTheLineTheyEndOn)
{
    const auto spread = Scan("/* 1\n 2\n 3\n 4\n 5 */\n");
    EXPECT_EQ(spread->blockCommentLines, 4);
    EXPECT_EQ(LinesOf(*spread), (Lines{1, 1, 0, 0}));
    EXPECT_EQ(Scan("int a; /* one line */\n")->blockCommentLines, 1);
    // An open block comment ends the scan: nothing after it is seen.
    const auto open = Scan("int a;\n/* open\nvoid f() {}\n");
    EXPECT_EQ(open->lines, 1);
    EXPECT_EQ(open->blockCommentLines, 0);
    EXPECT_TRUE(open->methods.empty());
}

TEST(SourceScannerTest, IncludesAndDirectives)
{
    const auto s = Scan(
        "#include <a.h>\n"
        "#includes\n"
        "# include <b.h>\n"
        "#define BODY { \\\n"
        "    x(); \\\n"
        "}\n"
        "void f() {\n"
        "#if 1\n"
        "    g();\n"
        "#endif\n"
        "}\n");
    EXPECT_EQ(s->includes, 2);
    EXPECT_EQ(s->lines, 11);  // the three-line #define counts 3 lines
    EXPECT_EQ(Methods(*s), (std::vector<Figures>{{"", "f", 0, 3, 0, 0, 0}}));
}

TEST(SourceScannerTest, AssertionsCountOnlyInsideMethods)
{
    const auto s = Scan(
        "ASSERT(outside);\n"
        "void f()\n"
        "{\n"
        "    ASSERT (a);\n"
        "    Verify\n"
        "        (b);\n"
        "    checkNull(p); assert_valid(q);\n"
        "    myassert(c);\n"
        "}\n");
    EXPECT_EQ(s->asserts, 4);
    EXPECT_EQ(Methods(*s), (std::vector<Figures>{{"", "f", 0, 1, 0, 4, 1}}));
    for (const char* word : {"assert", "_ASSERTE", "xAssertC", "nvassertc", "CheckCPtr",
                             "AssertValid", "checkptr", "_assert", "xassert", "nvassert"})
        EXPECT_TRUE(IsAssertKeyword(word)) << word;
    for (const char* word : {"asser", "asserts", "verified", "", "assert_valid_"})
        EXPECT_FALSE(IsAssertKeyword(word)) << word;
}

TEST(SourceScannerTest, SignatureLinesInsideParenthesesAreNotCounted)
{
    const auto s = Scan(
        "void f(int a, // first\n"
        "       int b)\n"
        "{\n"
        "}\n");
    EXPECT_EQ(LinesOf(*s), (Lines{3, 2, 0, 0}));
    EXPECT_EQ(s->methods[0]->paramCount, 2);
}

TEST(SourceScannerTest, StringsHideBracesAndEndAfterDoubleBackslash)
{
    const auto s = Scan(
        "const char* a = \"\\\\\";\n"
        "const char* b = \"\\\" { ( \";\n"
        "char c = '{';\n"
        "void f() {\n"
        "    puts(\"}\");\n"
        "}\n");
    EXPECT_EQ(Methods(*s), (std::vector<Figures>{{"", "f", 0, 1, 0, 0, 0}}));
}

TEST(SourceScannerTest, MethodsSortedLargestFirst)
{
    const auto s = Scan("void a() {\n}\nvoid b() {\nx;\ny;\n}\nvoid c() {\nx;\n}\n");
    ASSERT_EQ(s->methods.size(), 3u);
    EXPECT_EQ(s->methods[0]->methodName, "b");
    EXPECT_EQ(s->methods[1]->methodName, "c");
    EXPECT_EQ(s->methods[2]->methodName, "a");
}

// --- bad input ------------------------------------------------------------------------

TEST(SourceScannerTest, NulBytes)
{
    // A leading NUL means the file starts with no line; elsewhere NUL is an
    // ordinary byte.
    EXPECT_EQ(LinesOf(*Scan(std::string(3, '\0'))), (Lines{0, 0, 0, 0}));
    const auto s = Scan(std::string("int a;\0\0\nvoid f() {\n\0x();\n}\n", 28));
    EXPECT_EQ(s->lines, 4);
    EXPECT_EQ(Methods(*s), (std::vector<Figures>{{"", "f", 0, 1, 0, 0, 0}}));
    EXPECT_EQ(Scan(std::string("\0a;\nb;\n", 7))->lines, 1);
}

TEST(SourceScannerTest, LoneCrAndMixedLineEnds)
{
    const auto s = Scan("void f()\r{\r\n    x();\r\r\n    y();\n}\r");
    EXPECT_EQ(LinesOf(*s), (Lines{6, 3, 0, 0}));
    EXPECT_EQ(Methods(*s), (std::vector<Figures>{{"", "f", 0, 2, 0, 0, 2}}));
}

// Each method's "name first-last", in source order.
std::string SpanText(const FileStats& stats)
{
    std::vector<const MethodStats*> methods;
    for (const auto& m : stats.methods) methods.push_back(m.get());
    std::sort(methods.begin(), methods.end(),
              [](const MethodStats* a, const MethodStats* b) { return a->line < b->line; });
    std::string text;
    for (const MethodStats* m : methods)
        text +=
            m->methodName + " " + std::to_string(m->line) + "-" + std::to_string(m->endLine) + ";";
    return text;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

TEST(SourceScannerTest, MethodLinesAreThoseAnEditorShows)
{
    // Lines the counters leave out (inside block comments, directives and
    // parameter lists) still move the methods below them.
    const std::string text =
        "/* a block\n"
        "   comment */\n"
        "#define X \\\n"
        "    1\n"
        "int add(int a,\n"
        "        int b)\n"
        "{\n"
        "    return a + b; /* { */\n"
        "}\n"
        "\n"
        "void g() { }\n"
        "void open() {\n"
        "    x();\n";
    const std::string expected = "add 5-9;g 11-11;open 12-13;";
    for (const char* ends : {"\n", "\r\n", "\r"}) {
        const std::string source = Replaced(text, "\n", ends);
        const std::vector<char> bytes(source.begin(), source.end());
        for (MethodRule rule : {MethodRule::Classic, MethodRule::Modern}) {
            FileStats skimmed("a.cpp", 25, uint32_t{0}), plain("a.cpp", 25, uint32_t{0});
            ASSERT_EQ(ScanBuffer(skimmed, bytes.data(), bytes.size(), ScanLanguage::C, rule), 0);
            ASSERT_EQ(
                ScanBufferTokenByToken(plain, bytes.data(), bytes.size(), ScanLanguage::C, rule),
                0);
            EXPECT_EQ(SpanText(skimmed), expected) << ::testing::PrintToString(ends);
            EXPECT_EQ(SpanText(plain), expected) << ::testing::PrintToString(ends);
        }
    }
}

TEST(SourceScannerTest, MethodLinesFarDownAFile)
{
    // Past the 4 080 bytes a block of the line count takes before it sums up.
    std::string text;
    for (int i = 0; i < 5000; ++i) text += i % 7 == 0 ? "int v; /* x */\n" : "\n";
    EXPECT_EQ(SpanText(*Scan(text + "void f()\n{\n}\n")), "f 5001-5003;");
    EXPECT_EQ(SpanText(*Scan(text + "\r\nvoid f()\r{\n}\n")), "f 5002-5004;");
}

TEST(SourceScannerTest, ProceduresRunToTheLineBeforeTheNextLabel)
{
    const auto s =
        Scan("start:\n  mov ax, 1\n\n  loop: jmp loop\n  ret", ScanLanguage::Assembler, "a.asm");
    EXPECT_EQ(SpanText(*s), "start 1-3;loop 4-5;");
    EXPECT_EQ(SpanText(*Scan("class A {\n  void f() {\n  }\n}\n", ScanLanguage::Java, "A.java")),
              "f 2-3;");
}

TEST(SourceScannerTest, UnterminatedLiteralsAtEndOfFile)
{
    // The file ends inside the method: it keeps the figures it was added with.
    for (const char* tail : {"\"abc", "'a", "\"abc\\", "/* open", "// open"}) {
        const auto s = Scan(std::string("void f(int a) {\n    x();\n    ") + tail, ScanLanguage::C);
        EXPECT_EQ(Methods(*s), (std::vector<Figures>{{"", "f", 1, 0, 0, 0, 0}})) << tail;
        EXPECT_EQ(s->methodElocSum, 0) << tail;
    }
}

TEST(SourceScannerTest, ContinuationBackslashAsLastByte)
{
    EXPECT_EQ(LinesOf(*Scan("#define X \\")), (Lines{1, 0, 0, 0}));
    EXPECT_EQ(LinesOf(*Scan("int a;\n#define X \\\r\n  1 \\")), (Lines{3, 0, 0, 0}));
}

TEST(SourceScannerTest, LinesOfSeveralMegabytes)
{
    const size_t n = 4 << 20;
    const std::string word(n, 'a');
    const std::string comment = "//" + std::string(n, '-');
    const std::string literal = "s = \"" + std::string(n, 'x') + "\";";
    const auto s = Scan("void f() {\n" + word + ";\n" + comment + "\n" + literal + "\n}\n");
    EXPECT_EQ(LinesOf(*s), (Lines{5, 2, 1, 0}));
    EXPECT_EQ(Methods(*s), (std::vector<Figures>{{"", "f", 0, 2, 0, 0, 1}}));
    // Lone-CR line ends with many comments: the line-end search stays linear.
    std::string crOnly;
    for (int i = 0; i < 200000; ++i) crOnly += "// c\r";
    EXPECT_EQ(Scan(crOnly)->commentLines, 200000);
}

TEST(SourceScannerTest, DeepNestingNeedsNoRecursion)
{
    const int depth = 100000;
    const std::string braces = std::string(depth, '{') + std::string(depth, '}');
    const std::string parens = "x" + std::string(depth, '(') + std::string(depth, ')') + ";";
    const auto s = Scan(braces + "\n" + parens + "\nvoid f() {\n" + parens + "\n" + braces +
                        "\n}\nvoid g() {}\n");
    EXPECT_EQ(Methods(*s),
              (std::vector<Figures>{{"", "f", 0, 1, 0, 0, 1}, {"", "g", 0, 0, 0, 0, 0}}));
    const auto open = Scan(std::string(depth, '(') + std::string(depth, '{'));
    EXPECT_TRUE(open->methods.empty());
}

TEST(SourceScannerTest, BinaryFileScansWithinItsBytes)
{
    // Every byte value, in a pseudo-random order, many times over.
    std::string bytes;
    uint32_t state = 12345;
    for (int i = 0; i < 1 << 20; ++i) {
        state = state * 214013u + 2531011u;
        bytes.push_back(static_cast<char>(state >> 16));
    }
    for (ScanLanguage language : {ScanLanguage::C, ScanLanguage::Java, ScanLanguage::Assembler}) {
        const auto s = Scan(bytes, language);
        EXPECT_GE(s->lines, 0);
        for (const auto& m : s->methods) EXPECT_GE(m->eloc, 0);
    }
}

TEST(SourceScannerTest, RefusesBuffersOverTheLimit)
{
    FileStats stats("big.cpp", 25, uint32_t{0});
    // The size is refused before any byte is read.
    EXPECT_EQ(ScanBuffer(stats, "", kMaxScanBytes + 1, ScanLanguage::C), 1);
    EXPECT_EQ(stats.lines, 0);
}

TEST(SourceScannerTest, LanguageFollowsExtension)
{
    EXPECT_EQ(LanguageForPath("dir/BOOT.ASM"), ScanLanguage::Assembler);
    EXPECT_EQ(LanguageForPath("A.Java"), ScanLanguage::Java);
    EXPECT_EQ(LanguageForPath("a.cpp"), ScanLanguage::C);
    EXPECT_EQ(LanguageForPath("asm"), ScanLanguage::C);
}

// --- the skimming scan against the token-by-token one ---------------------------------

namespace {

// Pieces of C, C++ and Java, and of what breaks them: every kind of token,
// literals and comments left open, each line end, NUL and high bytes.
const std::vector<std::string>& SoupPieces()
{
    static const std::vector<std::string> pieces = {
        "void", "int", "Foo", "x1", "~Foo", "import", "imports", "_import", "assert",
        "ASSERT_VALID", "verify", "BEGIN_MESSAGE_MAP", "operator", "9e5", " ", "  ", "\t", "(", ")",
        "{", "}", ";", ":", "::", ":::", ",", "*", "/", "=", "<", ">", "&", "@", ".", "\n", "\r\n",
        "\r", "\n\n", "\r\r\n", "\"s\"", "\"a\\\"b\"", "\"\\\\\"", "'c'", "'\\''", "\"", "'",
        "// note", "//", "// ----", "//==", "/* c */", "/*\n*/", "/**/", "/* a\r\n b */", "/*",
        "*/", "#include <a.h>", "#include", "# define X \\\n 1", "#if A \\\r\n", "#", "\\",
        std::string(1, '\0'), "\xE9", "\xFF", "\f", "\v", std::string(40, ' '),
        std::string(70, 'w'), std::string(1000, 'w'), "//" + std::string(60, '-'),
        "\"" + std::string(80, 'q') + "\"", "/*" + std::string(90, '\n') + "*/",
        // what the modern rule reads in heads
        "namespace", "inline", "extern", "\"C\"", "class", "struct", "union", "enum", "interface",
        "record", "template", "final", "public", "noexcept", "sizeof", "__attribute__", "if",
        "catch", "DoDataExchange", "[", "]", "[[", "]]", ">>", "->", "operator+=", "operator()",
        "void f() {", "Foo::Foo() : m{1} {", "namespace n {", "class C : B<int> {"};
    return pieces;
}

std::string Soup(std::mt19937& rng, size_t pieces)
{
    std::string text;
    for (size_t i = 0; i < pieces; ++i) text += SoupPieces()[rng() % SoupPieces().size()];
    return text;
}

using ScanFunction = int (*)(FileStats&, const char*, size_t, ScanLanguage, MethodRule);

std::string FiguresBy(ScanFunction scan, std::string_view text, ScanLanguage language,
                      MethodRule rule = MethodRule::Classic)
{
    FileStats stats("a.cpp", 4, uint32_t{0});
    const std::vector<char> bytes(text.begin(), text.end());  // exact copy: no slack to read
    EXPECT_EQ(scan(stats, bytes.data(), bytes.size(), language, rule), 0);
    std::string figures = testing::ScanFigures(stats);
    for (const auto& m : stats.methods)
        figures += std::to_string(m->line) + "-" + std::to_string(m->endLine) + " ";
    return figures;
}

}  // namespace

TEST(SourceScannerTest, SkimmingAgreesWithTokenByTokenOnRandomSoups)
{
    std::mt19937 rng(20261207);
    for (int round = 0; round < 6000; ++round) {
        // Short soups hit the tail of the buffer, long ones many 64-byte blocks.
        const std::string text = Soup(rng, 1 + rng() % (round % 10 == 0 ? 400 : 40));
        for (ScanLanguage language : {ScanLanguage::C, ScanLanguage::Java}) {
            for (MethodRule rule : {MethodRule::Classic, MethodRule::Modern}) {
                ASSERT_EQ(FiguresBy(ScanBuffer, text, language, rule),
                          FiguresBy(ScanBufferTokenByToken, text, language, rule))
                    << "round " << round << " java " << (language == ScanLanguage::Java) << " rule "
                    << MethodRuleName(rule) << "\n"
                    << ::testing::PrintToString(text);
            }
        }
    }
}

// Soups whose parentheses and braces pair up: the pieces above that hold
// none and leave nothing open, between pairs opened and closed at random.
std::string BalancedSoup(std::mt19937& rng, size_t pieces)
{
    static const std::vector<std::string> fillers = [] {
        std::vector<std::string> closed;
        for (const std::string& piece : SoupPieces()) {
            // Nor "/": two of them would make a comment.
            if (piece.find_first_of("(){}\"'\\#") != std::string::npos) continue;
            if (piece == "/" || piece.find("/*") != std::string::npos ||
                piece.find("*/") != std::string::npos)
                continue;
            closed.push_back(piece.find("//") == 0 ? piece + "\n" : piece);
        }
        for (const char* piece : {"\"s{(\"",
                                  "'}'",
                                  "/* { */",
                                  "#include <a.h>\n",
                                  "#define X \\\n {\n",
                                  "void f()",
                                  "Foo::Foo() : m",
                                  "namespace n",
                                  "class C : B<int>",
                                  "template <class T>",
                                  "extern \"C\"",
                                  "noexcept(x)",
                                  "if (x)",
                                  "catch (...)",
                                  "TEST(a, b)",
                                  "= default;",
                                  "enum class E",
                                  "operator()",
                                  "struct S f()",
                                  "[]"})
            closed.push_back(piece);
        return closed;
    }();
    std::string text, open;
    for (size_t i = 0; i < pieces; ++i) {
        const unsigned r = rng() % 12;
        if (r < 2) {
            open.push_back(r == 0 ? '(' : '{');
            text += open.back();
        } else if (r < 4 && !open.empty()) {
            text += open.back() == '(' ? ')' : '}';
            open.pop_back();
        } else {
            text += fillers[rng() % fillers.size()];
        }
    }
    for (; !open.empty(); open.pop_back()) text += open.back() == '(' ? ')' : '}';
    return text;
}

// The property and its exceptions are told in rule_difference_test_util.h.
TEST(SourceScannerTest, ModernFindsEveryClassicBodyOnRandomSoups)
{
    std::mt19937 rng(20260301);
    testing::RuleDifference balanced, unbalanced;
    for (int round = 0; round < 5000; ++round) {
        const std::string pairs = BalancedSoup(rng, 1 + rng() % (round % 10 == 0 ? 400 : 60));
        const std::string soup = Soup(rng, 1 + rng() % (round % 10 == 0 ? 400 : 60));
        ASSERT_TRUE(testing::BracketsPairUp(pairs)) << pairs;
        for (ScanLanguage language : {ScanLanguage::C, ScanLanguage::Java}) {
            for (const std::string* text : {&pairs, &soup}) {
                const testing::RuleDifference d = testing::CompareRules(*text, language);
                ASSERT_TRUE(d.violations.empty())
                    << d.violations.front() << "\nround " << round << " java "
                    << (language == ScanLanguage::Java) << "\n"
                    << ::testing::PrintToString(*text);
                (text == &pairs ? balanced : unbalanced).Add(d);
            }
        }
    }
    // The soups reach the plain case and every exception.
    EXPECT_GT(balanced.sameFigures, 1000u);
    EXPECT_GT(balanced.otherHeaderComments + balanced.readPastHeaderComments, 0u);
    for (const char* exception :
         {"parentheses", "initialiser", "declaration", "not a name", "stale signature",
          "java outside a type", "read past", "follows an exception"})
        EXPECT_GT(balanced.exceptions[exception], 0u) << exception;
    EXPECT_EQ(balanced.exceptions["unbalanced"], 0u);
    EXPECT_GT(unbalanced.exceptions["unbalanced"], 0u);
}

TEST(SourceScannerTest, SkimmingAgreesOnEveryOffsetOfABlock)
{
    // The same method shifted through every position of a 64-byte block, so
    // that each token in turn straddles a block boundary.
    const std::string body =
        "void Foo::Bar(int a, /* x */ char* b) : m(0) {\r\n  assert(a);\n  // c\n"
        "  s = \"{\\\"\"; if (a) { b(); }\n#include <x>\n  import q;\n}\n";
    for (size_t shift = 0; shift < 130; ++shift) {
        for (const std::string& pad :
             {std::string(shift, ' '), std::string(shift, 'w'), std::string(shift, '\n')}) {
            const std::string text = pad + body + pad;
            for (ScanLanguage language : {ScanLanguage::C, ScanLanguage::Java})
                for (MethodRule rule : {MethodRule::Classic, MethodRule::Modern})
                    ASSERT_EQ(FiguresBy(ScanBuffer, text, language, rule),
                              FiguresBy(ScanBufferTokenByToken, text, language, rule))
                        << "shift " << shift << " pad " << int(pad.empty() ? 0 : pad[0]);
        }
    }
}

// --- files --------------------------------------------------------------------------

class ScanFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("codeburg_scan_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::permissions(m_dir / "locked.cpp", std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(m_dir, ec);
    }
    std::string Write(const std::string& name, std::string_view text)
    {
        const auto path = m_dir / name;
        std::ofstream(path, std::ios::binary).write(text.data(), std::streamsize(text.size()));
        return path.string();
    }

    std::filesystem::path m_dir;
};

TEST_F(ScanFileTest, ScansByExtension)
{
    FileStats java("A.JAVA", 25, uint32_t{0});
    EXPECT_EQ(ScanFile(java, Write("A.JAVA", "class A {\n  void f() {\n  }\n}\n")), 0);
    EXPECT_EQ(java.methods.size(), 1u);
    FileStats asmFile("b.asm", 25, uint32_t{0});
    EXPECT_EQ(ScanFile(asmFile, Write("b.asm", "a:\nb:\n")), 0);
    EXPECT_EQ(asmFile.methods.size(), 2u);
    FileStats empty("e.cpp", 25, uint32_t{0});
    EXPECT_EQ(ScanFile(empty, Write("e.cpp", "")), 0);
    EXPECT_EQ(empty.lines, 0);
}

TEST_F(ScanFileTest, ReusedBufferDoesNotLeakBetweenFiles)
{
    std::vector<char> buffer;
    FileStats big("big.cpp", 25, uint32_t{0});
    EXPECT_EQ(ScanFile(big, Write("big.cpp", "void f() {\n x();\n}\n"), buffer), 0);
    FileStats small("small.cpp", 25, uint32_t{0});
    EXPECT_EQ(ScanFile(small, Write("small.cpp", "a;"), buffer), 0);
    EXPECT_EQ(small.lines, 1);
    EXPECT_TRUE(small.methods.empty());
}

TEST_F(ScanFileTest, UnreadablePathsGiveOne)
{
    FileStats stats("x.cpp", 25, uint32_t{0});
    EXPECT_EQ(ScanFile(stats, m_dir.string()), 1);                    // a directory
    EXPECT_EQ(ScanFile(stats, (m_dir / "missing.cpp").string()), 1);  // missing
    const std::string fifo = (m_dir / "pipe.cpp").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ScanFile(stats, fifo), 1);  // not a regular file; must not hang either
    EXPECT_EQ(stats.lines, 0);
}

// Root reads any file, so as root the scan runs in a child that drops to "nobody".
int ScanAsUnprivileged(const std::string& path)
{
    if (::geteuid() != 0) {
        FileStats stats("x.cpp", 25, uint32_t{0});
        return ScanFile(stats, path);
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
        FileStats stats("x.cpp", 25, uint32_t{0});
        ::_exit(ScanFile(stats, path));
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

TEST_F(ScanFileTest, FileWithoutReadPermissionGivesOne)
{
    std::filesystem::permissions(m_dir, std::filesystem::perms::all);
    const std::string readable = Write("open.cpp", "int a;\n");
    std::filesystem::permissions(readable, std::filesystem::perms::all);
    const std::string locked = Write("locked.cpp", "int a;\n");
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    ASSERT_EQ(ScanAsUnprivileged(readable), 0);  // the set-up itself works
    EXPECT_EQ(ScanAsUnprivileged(locked), 1);
}

TEST_F(ScanFileTest, ObjectFileRenamedAsSource)
{
    // The test program itself is a real binary with NULs, CRs and stray quotes.
    std::ifstream self("/proc/self/exe", std::ios::binary);
    std::string bytes(2 << 20, '\0');  // enough to meet every kind of section
    bytes.resize(
        static_cast<size_t>(self.read(bytes.data(), std::streamsize(bytes.size())).gcount()));
    ASSERT_FALSE(bytes.empty());
    FileStats stats("bin.cpp", 25, uint32_t{0});
    EXPECT_EQ(ScanFile(stats, Write("bin.cpp", bytes)), 0);
    FileStats copy("bin.cpp", 25, uint32_t{0});
    ASSERT_EQ(ScanBuffer(copy, bytes.data(), bytes.size(), ScanLanguage::C), 0);
    EXPECT_EQ(stats.lines, copy.lines);
    EXPECT_EQ(stats.methods.size(), copy.methods.size());
}

}  // namespace codeburg
