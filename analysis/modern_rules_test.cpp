#include "analysis/modern_rules.h"

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "analysis/scan_figures_test_util.h"
#include "analysis/source_scanner.h"
#include "records/file_stats.h"

namespace codeburg {

namespace {

// Scans an exact heap copy of "text" with the modern rule, by both drivers,
// which must agree.
std::unique_ptr<FileStats> Modern(std::string_view text, ScanLanguage language = ScanLanguage::C)
{
    const std::vector<char> bytes(text.begin(), text.end());
    auto stats = std::make_unique<FileStats>("a.cpp", 25, uint32_t{0});
    EXPECT_EQ(ScanBuffer(*stats, bytes.data(), bytes.size(), language, MethodRule::Modern), 0);
    FileStats plain("a.cpp", 25, uint32_t{0});
    EXPECT_EQ(
        ScanBufferTokenByToken(plain, bytes.data(), bytes.size(), language, MethodRule::Modern), 0);
    EXPECT_EQ(testing::ScanFigures(*stats), testing::ScanFigures(plain));
    return stats;
}

// "Class::name/params" of every method, in the order of the source.
std::vector<std::string> Names(std::string_view text, ScanLanguage language = ScanLanguage::C)
{
    const std::vector<char> bytes(text.begin(), text.end());
    FileStats stats("a.cpp", 25, uint32_t{0});
    ScanTrace trace;
    EXPECT_EQ(
        ScanBufferTraced(stats, bytes.data(), bytes.size(), language, MethodRule::Modern, trace),
        0);
    std::vector<std::string> names;
    for (const auto& body : trace.bodies)
        names.push_back(body.method->className + "::" + body.method->methodName + "/" +
                        std::to_string(body.method->paramCount));
    Modern(text, language);  // the drivers agree
    return names;
}

using List = std::vector<std::string>;

// Names() by one scan only, for inputs too large to scan three times.
List NamesOnce(std::string_view text)
{
    const std::vector<char> bytes(text.begin(), text.end());
    FileStats stats("a.cpp", 25, uint32_t{0});
    ScanTrace trace;
    EXPECT_EQ(ScanBufferTraced(stats, bytes.data(), bytes.size(), ScanLanguage::C,
                               MethodRule::Modern, trace),
              0);
    List names;
    for (const auto& body : trace.bodies)
        names.push_back(body.method->className + "::" + body.method->methodName + "/" +
                        std::to_string(body.method->paramCount));
    return names;
}

}  // namespace

TEST(ModernRulesTest, NamespacesAndExternBlocksAreTransparent)
{
    EXPECT_EQ(Names("namespace a {\nvoid f() {}\n"
                    "namespace b::c { int g(int x) { return x; } }\n"
                    "inline namespace v1 { void h() {} }\n"
                    "}\n"
                    "namespace { void anon() {} }\n"
                    "namespace [[deprecated]] old { void o() {} }\n"
                    "extern \"C\" { void c(void) {} }\n"
                    "extern \"C++\" {\n#ifdef X\n}\n#endif\n"),
              (List{"::f/0", "::g/1", "::h/0", "::anon/0", "::o/0", "::c/0"}));
}

TEST(ModernRulesTest, MemberFunctionsTakeTheirClassName)
{
    EXPECT_EQ(Names("class Foo : public Bar<int, X> {\n"
                    "public:\n"
                    "    Foo() : m_a{1}, m_b(2) {}\n"
                    "    ~Foo() {}\n"
                    "    int size() const noexcept { return 0; }\n"
                    "    void f() const & {}\n"
                    "    void g() = delete;\n"
                    "    Foo(const Foo&) = default;\n"
                    "    int h();\n"
                    "    struct Inner { void run() {} };\n"
                    "    void after() override {}\n"
                    "protected:\n"
                    "    Q_INVOKABLE void invokable() {}\n"
                    "};\n"
                    "void Foo::h() {}\n"
                    "std::string name() { return {}; }\n"),
              (List{"Foo::Foo/0", "Foo::~Foo/0", "Foo::size/0", "Foo::f/0", "Inner::run/0",
                    "Foo::after/0", "Foo::invokable/0", "Foo::h/0", "::name/0"}));
    const auto s = Modern("struct A { A() {} A(int) {} };\n");
    EXPECT_EQ(s->constructors, 2);
}

TEST(ModernRulesTest, TypeHeadsWithMacrosAttributesAndTemplates)
{
    EXPECT_EQ(Names("class GTEST_API_ Test final : public X<sizeof(int)> { void a() {} };\n"
                    "struct alignas(16) __attribute__((packed)) Packed { void b() {} };\n"
                    "class [[nodiscard]] Result { void c() {} };\n"
                    "template <class T, class = decltype(f(T()))> struct hash<std::pair<T, T>> {"
                    " void d() {} };\n"
                    "typedef struct { void e() {} } anon_t;\n"
                    "struct Outer::Nested { void n() {} };\n"
                    "struct GTY(()) rtx_note : public rtx_insn { void g() {} };\n"
                    "Q_DECLARE_METATYPE(X)\n\nclass W : public QWidget { W() : m(1) {} };\n"
                    "class EXPORT(x) Foo { void h() {} };\n"),
              (List{"Test::a/0", "Packed::b/0", "Result::c/0", "hash::d/0", "::e/0", "Nested::n/0",
                    "rtx_note::g/0", "W::W/0", "Foo::h/0"}));
}

TEST(ModernRulesTest, FunctionsReturningTypesAreNotTypeBodies)
{
    EXPECT_EQ(Names("struct point make_point(int x, int y) { return p; }\n"
                    "static const struct ops table = { 1, 2 };\n"
                    "enum color pick(void) { return RED; }\n"
                    "struct S* get() const noexcept { return 0; }\n"
                    "struct S s = { 1 };\n"
                    "enum class E : int { A = f(1), B };\n"
                    "int values[] = { g(1), 2 };\n"),
              (List{"::make_point/2", "::pick/0", "::get/0"}));
}

TEST(ModernRulesTest, TemplatesKeepTheirNames)
{
    EXPECT_EQ(Names("template <typename T, typename U = std::map<int, int>>\n"
                    "class Box {\n"
                    "    template <class V> void put(V v) {}\n"
                    "};\n"
                    "template <> void f<double>(double d) {}\n"
                    "template <typename T> void Stack<T>::push(T value) {}\n"
                    "template <typename T> Stack<T>::Stack() {}\n"),
              (List{"Box::put/1", "::f/1", "Stack::push/1", "Stack::Stack/0"}));
}

TEST(ModernRulesTest, OperatorsAreNamedInFull)
{
    EXPECT_EQ(Names("struct V {\n"
                    "    V& operator+=(const V& o) { return *this; }\n"
                    "    bool operator()(int a, int b) const { return a < b; }\n"
                    "    explicit operator bool() const { return true; }\n"
                    "    bool operator < (const V&) const { return false; }\n"
                    "    void* operator new[](size_t n) { return 0; }\n"
                    "    operator const char*() const { return 0; }\n"
                    "    V& operator<<(int) { return *this; }\n"
                    "    int operator->*(int) { return 0; }\n"
                    "};\n"
                    "bool V::operator==(const V& o) const { return true; }\n"),
              (List{"V::operator+=/1", "V::operator()/2", "V::operator bool/0", "V::operator</1",
                    "V::operator new[]/1", "V::operator const char*/0", "V::operator<</1",
                    "V::operator->*/1", "V::operator==/1"}));
}

TEST(ModernRulesTest, SpecifiersNeverReplaceTheSignature)
{
    EXPECT_EQ(Names("int size() noexcept(false) { return 0; }\n"
                    "void g() throw() {}\n"
                    "__attribute__((cold)) void h() {}\n"
                    "void k() __attribute__((noinline)) {}\n"
                    "auto t() -> decltype(x) { return x; }\n"
                    "template <class T> void r() requires (sizeof(T) > 1) {}\n"
                    "alignas(8) char buffer[8];\n"),
              (List{"::size/0", "::g/0", "::h/0", "::k/0", "::t/0", "::r/0"}));
}

TEST(ModernRulesTest, ParametersAsAReaderCountsThem)
{
    EXPECT_EQ(Names("void a(std::map<K, V> m, [[maybe_unused]] int x) {}\n"
                    "void b(void (*cb)(int, int), S s = {1, 2}) {}\n"
                    "void c(void) {}\n"
                    "void d() {}\n"
                    "void e(void* p) {}\n"
                    "void f([[gnu::unused, deprecated]] int x, ...) {}\n"
                    "void g(int a = 1 << 2, bool b = x <= y) {}\n"
                    "void h(std::function<void(int, int)> f) {}\n"),
              (List{"::a/2", "::b/2", "::c/0", "::d/0", "::e/1", "::f/2", "::g/2", "::h/1"}));
}

TEST(ModernRulesTest, InitialiserListsStartNoMethod)
{
    EXPECT_EQ(Names("Box::Box() : m_size({2, 3}), m_name(\"b\") {}\n"
                    "Foo::Foo(int a) : Base<T>{a}, m_a{1}, m_b{} {\n    init();\n}\n"
                    "Bar::Bar() : m_x(1) // note\n{\n}\n"),
              (List{"Box::Box/0", "Foo::Foo/1", "Bar::Bar/0"}));
    const auto s = Modern("Foo::Foo(int a) : m_a{1},\n    m_b{2} {\n    init();\n}\n");
    ASSERT_EQ(s->methods.size(), 1u);
    EXPECT_EQ(s->methods[0]->eloc, 1);
}

TEST(ModernRulesTest, ControlWordsAndFunctionTryBlocks)
{
    EXPECT_EQ(Names("Foo::Foo() try : m(1) { init(); } catch (...) { fail(); }\n"
                    "void g() try { x(); } catch (const E& e) { }\n"
                    "if (broken) { y(); }\n"
                    "while (x) { }\n"
                    "TEST(Suite, Name) { EXPECT_TRUE(x); }\n"),
              (List{"Foo::Foo/0", "::g/0", "::TEST/2"}));
}

TEST(ModernRulesTest, EverythingInsideAMethodBelongsToIt)
{
    const auto s = Modern(
        "namespace n {\n"
        "void f()\n"
        "{\n"
        "    auto l = [](int x) { return x; };\n"
        "    struct Local { void m() { assert(1); } };\n"
        "    if (x) {\n"
        "        y();\n"
        "    }\n"
        "}\n"
        "}\n");
    EXPECT_EQ(testing::ScanFigures(*s),
              "file lines 10 empty 4 comments 0 asserts 1 block 0 includes 0 constructors 0 sum 3 "
              "max 3 within 3 over 0\n"
              "method ::f params 0 eloc 3 comments 0 asserts 1 empty 2\n");
}

TEST(ModernRulesTest, MacrosAndExcludedNames)
{
    EXPECT_EQ(Names("BEGIN_MESSAGE_MAP(CView, CWnd)\n{\n}\n"
                    "namespace n { void CView::DoDataExchange(CDataExchange* p) {} }\n"
                    "Q_DECL_EXPORT void exported() Q_DECL_NOTHROW {}\n"
                    "DECLARE_THING(x)\nvoid after() {}\n"),
              (List{"::exported/0", "::after/0"}));
}

TEST(ModernRulesTest, JavaTypesAtAnyNesting)
{
    EXPECT_EQ(Names("package p;\n"
                    "@SuppressWarnings(\"x\") public class A<T extends B> implements C {\n"
                    "    public A(int x) { this.x = x; }\n"
                    "    void b() {\n"
                    "        Runnable r = new Runnable() { public void run() {} };\n"
                    "        Function<A, B> f = x -> { return x; };\n"
                    "    }\n"
                    "    static class Inner { void c() {} }\n"
                    "    interface I { default void d() {} }\n"
                    "    enum E { X(1), Y(2); E(int v) {} void e() {} }\n"
                    "    record R(int x, int y) { R { } void f() {} }\n"
                    "    @interface Ann { String value(); }\n"
                    "    static { init(); }\n"
                    "    synchronized void s() { synchronized (this) { } }\n"
                    "    void record() {}\n"
                    "}\n",
                    ScanLanguage::Java),
              (List{"A::A/1", "A::b/0", "Inner::c/0", "I::d/0", "E::E/1", "E::e/0", "R::f/0",
                    "A::s/0", "A::record/0"}));
    const auto s = Modern("class A { A() {} class B { B() {} } }\n", ScanLanguage::Java);
    EXPECT_EQ(s->constructors, 2);
}

TEST(ModernRulesTest, PlainCodeGivesTheClassicFigures)
{
    const std::string text =
        "#include <stdio.h>\n"
        "/* header */\n"
        "static int helper(int a, int b)\n"
        "{\n"
        "    // comment\n"
        "    assert(a);\n"
        "    return a + b;\n"
        "}\n"
        "\n"
        "int main(int argc, char** argv) {\n"
        "    if (argc > 1) {\n"
        "        puts(argv[1]);\n"
        "    }\n"
        "    return helper(1, 2);\n"
        "}\n";
    const std::vector<char> bytes(text.begin(), text.end());
    FileStats classic("a.c", 25, uint32_t{0}), modern("a.c", 25, uint32_t{0});
    ScanBuffer(classic, bytes.data(), bytes.size(), ScanLanguage::C, MethodRule::Classic);
    ScanBuffer(modern, bytes.data(), bytes.size(), ScanLanguage::C, MethodRule::Modern);
    EXPECT_EQ(testing::ScanFigures(modern), testing::ScanFigures(classic));
}

// --- bad input ------------------------------------------------------------------------

TEST(ModernRulesTest, UnbalancedAndUnfinishedInput)
{
    EXPECT_EQ(Names("}}} void f() {}\n"), (List{"::f/0"}));
    EXPECT_EQ(Names("namespace\n"), List{});
    EXPECT_EQ(Names("namespace"), List{});
    EXPECT_EQ(Names("namespace n\nvoid f() {}\n"), (List{"::f/0"}));
    EXPECT_EQ(Names("class A { void f() { x(); }"), (List{"A::f/0"}));
    EXPECT_EQ(Names("class A { void f() { x();"), (List{"A::f/0"}));
    EXPECT_EQ(Names("class A : B<<<<( { void f() {} }"), List{});
    EXPECT_EQ(Names("operator"), List{});
    EXPECT_EQ(Names("operator(operator)(>>(>"), List{});
    EXPECT_EQ(Names(">(<(::>::("), List{});
}

TEST(ModernRulesTest, DeepNestingIsLinearAndNeedsNoRecursion)
{
    const int depth = 1000000;
    std::string namespaces, classes;
    for (int i = 0; i < depth; ++i) namespaces += "namespace n{";
    namespaces += "void f(){x();}";
    for (int i = 0; i < depth; ++i) classes += "class C{";
    classes += "void g(){}";
    // Processor time, not the wall clock: other work on the machine must not count.
    const std::clock_t start = std::clock();
    // Each file ends inside its nesting, and then again with all braces closed.
    EXPECT_EQ(NamesOnce(namespaces), (List{"::f/0"}));
    EXPECT_EQ(NamesOnce(classes), (List{"C::g/0"}));
    EXPECT_EQ(NamesOnce(classes + std::string(depth, '}') + "void h(){}"),
              (List{"C::g/0", "::h/0"}));
    EXPECT_EQ(NamesOnce(std::string(depth, '{') + "void f(){}"), List{});
    // Linear: a few seconds would mean something quadratic even under sanitizers.
    EXPECT_LT(double(std::clock() - start) / CLOCKS_PER_SEC, 60.0);
}

}  // namespace codeburg
