#include "workspace/markup_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "workspace/markup_lexer.h"
#include "workspace/markup_writer.h"

namespace codeburg {

namespace {

// Records every callback as one line of text; element handles are 1-based
// indices into the list of started elements.
class Recorder : public MarkupParser {
public:
    explicit Recorder(bool checkEndTags = true) : MarkupParser(checkEndTags) {}

    std::vector<std::string> events;
    std::vector<std::string> tags;
    int stopAtEndOf = -1;

    Handle StartElement(Handle, const std::string& tag, const std::string*) override
    {
        events.push_back("start " + tag);
        tags.push_back(tag);
        return reinterpret_cast<Handle>(tags.size());
    }
    int EndElement(Handle element, int) override
    {
        const size_t index = reinterpret_cast<size_t>(element) - 1;
        events.push_back("end " + tags[index]);
        return static_cast<int>(index) == stopAtEndOf ? 1 : 0;
    }
    int Attribute(Handle element, const std::string& name, const std::string& value) override
    {
        events.push_back(tags[reinterpret_cast<size_t>(element) - 1] + "." + name + "=" + value);
        return 0;
    }
    void Text(Handle, const std::string& text) override { events.push_back("text[" + text + "]"); }
    void Comment(Handle, const std::string& text) override
    {
        events.push_back("comment[" + text + "]");
    }
    void CData(Handle, const std::string& text) override
    {
        events.push_back("cdata[" + text + "]");
    }
    void ProcessingInstruction(Handle, const std::string& target, const std::string&) override
    {
        events.push_back("pi " + target);
    }
};

using Events = std::vector<std::string>;

Events Read(std::string_view input, int* result = nullptr)
{
    Recorder r;
    const int code = r.Parse(input);
    if (result) *result = code;
    return r.events;
}

std::vector<MarkupToken> Tokens(std::string_view input)
{
    MarkupLexer lexer;
    lexer.SetInput(input);
    std::vector<MarkupToken> out;
    while (lexer.Next() && lexer.token() != MarkupToken::EndOfInput) out.push_back(lexer.token());
    return out;
}

}  // namespace

TEST(MarkupParserTest, DecodesTheFiveEntitiesOnly)
{
    EXPECT_EQ(Read("<a b='x &amp; y'/>"), (Events{"start a", "a.b=x & y", "end a"}));
    EXPECT_EQ(Read("<a b='&#65;'/>"), (Events{"start a", "a.b=&#65;", "end a"}));
    EXPECT_EQ(Read("<a b=\"&lt;&gt;&quot;&apos;&amp;amp; &x; &\"/>"),
              (Events{"start a", "a.b=<>\"'&amp; &x; &", "end a"}));
}

TEST(MarkupParserTest, QuotedValuesKeepTheOtherQuoteAndLineBreaks)
{
    EXPECT_EQ(Read("<a b='say \"hi\"' c=\"it's\" d='1\r\n2'/>"),
              (Events{"start a", "a.b=say \"hi\"", "a.c=it's", "a.d=1\r\n2", "end a"}));
}

TEST(MarkupParserTest, UnquotedValuesRunToTheNextNameAndEquals)
{
    int result = -1;
    EXPECT_EQ(Read("<a b=C:\\My Documents\\x c='1'>", &result),
              (Events{"start a", "a.b=C:\\My Documents\\x", "a.c=1"}));
    EXPECT_EQ(result, 1);  // the input ends inside the element

    // The slash is part of the value, so the element has content and an end tag.
    EXPECT_EQ(Read("<a b=xyz/><c/></a>", &result),
              (Events{"start a", "a.b=xyz/", "start c", "end c", "end a"}));
    EXPECT_EQ(result, 0);
}

TEST(MarkupParserTest, AttributeWithoutValueIsEmpty)
{
    EXPECT_EQ(Read("<a flag/>"), (Events{"start a", "a.flag=", "end a"}));
}

TEST(MarkupParserTest, EndTagOfAnOuterElementClosesTheInnerOnes)
{
    int result = -1;
    EXPECT_EQ(Read("<a><b></a>", &result), (Events{"start a", "start b", "end b", "end a"}));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Read("<a><b><c></A><d/>", &result), (Events{"start a", "start b", "start c", "end c",
                                                          "end b", "end a", "start d", "end d"}));
    EXPECT_EQ(result, 0);
}

TEST(MarkupParserTest, StrayEndTagIsDroppedWithTheNextOne)
{
    int result = -1;
    EXPECT_EQ(Read("<a></x></a>", &result), (Events{"start a"}));
    EXPECT_EQ(result, 0);
}

TEST(MarkupParserTest, PrologueChangesNothing)
{
    const Events plain = Read("<a b='1'><c/></a>");
    Recorder r;
    EXPECT_EQ(r.Parse("<?xml version=\"1.0\" encoding='x'?>\r\n<!DOCTYPE a [x]>\r\n"
                      "<!-- note -->\r\n<a b='1'><c/></a>"),
              0);
    Events withoutExtras;
    for (const std::string& e : r.events)
        if (e.rfind("pi ", 0) != 0 && e.rfind("comment[", 0) != 0) withoutExtras.push_back(e);
    EXPECT_EQ(withoutExtras, plain);
    EXPECT_EQ(r.events[0], "pi xml");
    EXPECT_EQ(r.events[1], "comment[ note ]");
}

TEST(MarkupParserTest, TextLosesLeadingBlanksOnly)
{
    EXPECT_EQ(Read("<a>  hello  </a>"), (Events{"start a", "text[hello  ]", "end a"}));
    EXPECT_EQ(Tokens("<a>  hello  </a>")[3], MarkupToken::Text);
    EXPECT_EQ(Tokens("<a>abc</a>")[3], MarkupToken::Name);
    EXPECT_EQ(Read("<a><![CDATA[<x>]]></a>"), (Events{"start a", "cdata[<x>]", "end a"}));
}

TEST(MarkupParserTest, ContentStartingWithATokenIsASyntaxError)
{
    for (const char* input : {"<a>=</a>", "<a>/</a>", "<a>></a>", "<a>?></a>"}) {
        int result = -1;
        EXPECT_EQ(Read(input, &result), (Events{"start a"})) << input;
        EXPECT_EQ(result, 1) << input;
    }
}

TEST(MarkupParserTest, OverlongNameEndsTheReadingQuietly)
{
    Recorder r;
    const std::string input = "<a><" + std::string(129, 'n') + "/></a>";
    EXPECT_EQ(r.Parse(input), 0);
    EXPECT_EQ(r.events, (Events{"start a"}));
    EXPECT_TRUE(r.Incomplete());
    EXPECT_NE(r.IncompleteReason().find("128"), std::string::npos);

    Recorder ok;
    EXPECT_EQ(ok.Parse("<" + std::string(128, 'n') + "/>"), 0);
    EXPECT_FALSE(ok.Incomplete());
}

TEST(MarkupParserTest, InputEndingInsideAnElementIsASyntaxError)
{
    int result = -1;
    EXPECT_EQ(Read("<a><b>", &result), (Events{"start a", "start b"}));
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Read("<a b='open", &result), (Events{"start a"}));
    EXPECT_EQ(result, 0);  // unterminated quoted string: a lexer failure
}

TEST(MarkupParserTest, StrayEndTagAtTopLevelEndsTheReading)
{
    Recorder r;
    EXPECT_EQ(r.Parse("<a/></b><c/>"), 0);
    EXPECT_EQ(r.events, (Events{"start a", "end a"}));
    EXPECT_TRUE(r.Incomplete());
}

TEST(MarkupParserTest, EmptyAndBinaryInputNeverCrash)
{
    Recorder empty;
    EXPECT_EQ(empty.Parse(""), 0);
    EXPECT_TRUE(empty.events.empty());
    EXPECT_FALSE(empty.Incomplete());

    std::string binary;
    uint32_t state = 12345;
    for (int i = 0; i < 20000; ++i) {
        state = state * 214013 + 2531011;
        binary += static_cast<char>((state >> 16) & 0xFF);
    }
    for (size_t start = 0; start < binary.size(); start += 997) {
        Recorder r;
        const int result = r.Parse(std::string_view(binary).substr(start));
        EXPECT_TRUE(result == 0 || result == 1) << result;
    }
}

TEST(MarkupParserTest, DeepNestingIsBoundedNotRecursedInto)
{
    std::string input;
    for (int i = 0; i < 100000; ++i) input += "<a>";
    Recorder r;
    EXPECT_EQ(r.Parse(input), 0);
    EXPECT_EQ(r.tags.size(), MarkupParser::kMaxDepth);
    EXPECT_TRUE(r.Incomplete());
    EXPECT_NE(r.IncompleteReason().find("nested"), std::string::npos);
}

TEST(MarkupParserTest, OversizedValueIsRejected)
{
    Recorder r;
    EXPECT_EQ(r.Parse("<a b=\"" + std::string(10 * 1024 * 1024, 'v') + "\"/>"), 0);
    EXPECT_EQ(r.events, (Events{"start a"}));
    EXPECT_TRUE(r.Incomplete());
    EXPECT_NE(r.IncompleteReason().find("65534"), std::string::npos);

    Recorder fits;
    EXPECT_EQ(fits.Parse("<a b=\"" + std::string(MarkupLexer::kMaxText, 'v') + "\"/>"), 0);
    EXPECT_EQ(fits.events.size(), 3u);
}

TEST(MarkupParserTest, CallbackCanStopTheReading)
{
    Recorder r;
    r.stopAtEndOf = 1;
    EXPECT_EQ(r.Parse("<a><b/><c/></a>"), 3);
    EXPECT_EQ(r.events, (Events{"start a", "start b", "end b"}));
}

TEST(MarkupParserTest, EndTagsMatchWithoutRegardToCase)
{
    EXPECT_EQ(Read("<A><B></b></a>"), (Events{"start A", "start B", "end B", "end A"}));
}

TEST(MarkupParserTest, WithoutEndTagCheckAnyEndTagCloses)
{
    Recorder r(false);
    EXPECT_EQ(r.Parse("<a><b></x></y>"), 0);
    EXPECT_EQ(r.events, (Events{"start a", "start b", "end b", "end a"}));
}

TEST(MarkupParserTest, UnterminatedCommentOrDeclarationEndsQuietly)
{
    for (const char* input : {"<a><!-- open</a>", "<a><![CDATA[ open</a>", "<!DOCTYPE a"}) {
        Recorder r;
        EXPECT_EQ(r.Parse(input), 0) << input;
        EXPECT_TRUE(r.Incomplete()) << input;
    }
}

TEST(MarkupParserTest, EmbeddedZeroByteEndsTheInput)
{
    const std::string input("<a/>\0<b/>", 9);
    EXPECT_EQ(Read(input), (Events{"start a", "end a"}));
}

TEST(MarkupWriterTest, IndentsByFourSpacesAndEndsLinesWithCrLf)
{
    std::string out;
    MarkupWriter w(out);
    w.WriteLine("<%s", "a");
    w.Indent();
    w.WriteLine(" %s=\"%d\"", "n", 7);
    w.Outdent();
    w.WriteLine(">");
    EXPECT_EQ(out, "<a\r\n     n=\"7\"\r\n>\r\n");
}

TEST(MarkupWriterTest, LongLinesAreWrittenWhole)
{
    std::string out;
    MarkupWriter w(out, 2);
    const std::string value(5000, 'x');
    w.WriteLine("%s", value.c_str());
    EXPECT_EQ(out, "        " + value + "\r\n");
}

}  // namespace codeburg
