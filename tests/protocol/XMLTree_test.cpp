// The in-place XML reader and the reply-parsing frame.

#include <gtest/gtest.h>

#include <string>

#include "protocol/Body.h"
#include "protocol/ParseXML.h"
#include "protocol/XMLTree.h"

namespace {

NSString childText(const _XMLTreeElement* parent, const char* name)
{
    return XMLTree::textForElement(XMLTree::childElementNamed(name, parent));
}

TEST(XMLTree, ReadsNestedElementsTextsAndSiblings)
{
    auto tree = XMLTree::initWithXMLString(
        "<?xml version='1.0' encoding='utf-8' ?><MSG><HEAD/><BODY><Code>0</Code><Desc> ok </Desc>"
        "<List><Url>a</Url></List><Other>x</Other><List><Url>b</Url></List></BODY></MSG>");
    const _XMLTreeElement* root = tree->rootXMLElement();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(XMLTree::elementName(root), "MSG");
    const _XMLTreeElement* head = XMLTree::childElementNamed("HEAD", root);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(XMLTree::textForElement(head), "");
    const _XMLTreeElement* body = XMLTree::childElementNamed("BODY", root);
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->parentElement, root);
    EXPECT_EQ(body->previousSibling, head);
    EXPECT_EQ(childText(body, "Code"), "0");
    EXPECT_EQ(childText(body, "Desc"), "ok");
    EXPECT_EQ(XMLTree::textForElement(body), "");

    const _XMLTreeElement* first = XMLTree::childElementNamed("List", body);
    const _XMLTreeElement* second = XMLTree::nextSiblingNamed("List", first);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(childText(first, "Url"), "a");
    EXPECT_EQ(childText(second, "Url"), "b");
    EXPECT_EQ(XMLTree::nextSiblingNamed("List", second), nullptr);
    EXPECT_EQ(body->lastChild, second);
}

TEST(XMLTree, NamesMatchExactly)
{
    auto tree = XMLTree::initWithXMLString("<r><Code>1</Code><CodeX>2</CodeX><code>3</code></r>");
    const _XMLTreeElement* root = tree->rootXMLElement();
    EXPECT_EQ(XMLTree::childElementNamed("Cod", root), nullptr);
    EXPECT_EQ(childText(root, "CodeX"), "2");
    EXPECT_EQ(childText(root, "code"), "3");
    EXPECT_EQ(XMLTree::childElementNamed("Code", nullptr), nullptr);
}

TEST(XMLTree, ElementWithChildrenKeepsNoText)
{
    auto tree = XMLTree::initWithXMLString("<A>x<B>y</B>z</A>");
    const _XMLTreeElement* a = tree->rootXMLElement();
    EXPECT_EQ(XMLTree::textForElement(a), "");
    EXPECT_EQ(a->text, nullptr);
    EXPECT_EQ(childText(a, "B"), "y");
}

TEST(XMLTree, ReadsAttributesOfBothQuoteKindsWithEntities)
{
    auto tree = XMLTree::initWithXMLString("<r><e a=\"1 &amp; 2\" b = 'x>y\"z' c/></r>");
    const _XMLTreeElement* e = XMLTree::childElementNamed("e", tree->rootXMLElement());
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->text, nullptr);
    ASSERT_NE(e->firstAttribute, nullptr);
    ASSERT_NE(e->firstAttribute->next, nullptr);
    EXPECT_EQ(e->firstAttribute->next->next, nullptr);
    EXPECT_EQ(XMLTree::attributeName(e->firstAttribute), "a");
    EXPECT_EQ(XMLTree::attributeValue(e->firstAttribute), "1 & 2");
    EXPECT_EQ(XMLTree::valueOfAttributeNamed("b", e), "x>y\"z");
    EXPECT_TRUE(XMLTree::valueOfAttributeNamed("c", e).isNil());
    EXPECT_EQ(XMLTree::elementName(e), "e");
}

TEST(XMLTree, AttributeValueWithCDataKeepsItsContentWithoutMarkers)
{
    auto tree = XMLTree::initWithXMLString("<r a=\"x<![CDATA[<&amp;\"]]>y\"/>");
    EXPECT_EQ(XMLTree::valueOfAttributeNamed("a", tree->rootXMLElement()), "x<&amp;\"y");
}

struct TextCase {
    const char* name;
    const char* document;
    const char* text;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class XMLTreeText : public testing::TestWithParam<TextCase> {};

TEST_P(XMLTreeText, ReadsTheRootText)
{
    auto tree = XMLTree::initWithXMLString(GetParam().document);
    ASSERT_NE(tree->rootXMLElement(), nullptr);
    EXPECT_EQ(XMLTree::textForElement(tree->rootXMLElement()), GetParam().text);
}

const TextCase kTexts[] = {
    {"trimmed", "<a> \t\r\n x y \n</a>", "x y"},
    {"empty", "<a></a>", ""},
    {"predefinedEntities", "<a>&lt;&gt;&amp;&quot;&apos;</a>", "<>&\"'"},
    {"numericReferences", "<a>&#65;&#x42;&#x4e2d;&#128512;</a>", "AB中😀"},
    {"unknownEntityStays", "<a>&nbsp; &#0; &#xD800; &#x110000; &; & a</a>", "&nbsp; &#0; &#xD800; &#x110000; &; & a"},
    {"unterminatedReferenceStays", "<a>x&amp</a>", "x&amp"},
    {"cdataContent", "<a><![CDATA[1 < 2 &amp; 3]]></a>", "1 < 2 &amp; 3"},
    {"cdataJoinsText", "<a>x &amp; <![CDATA[<y>]]> z</a>", "x & <y> z"},
    {"commentStaysInText", "<a>x<!-- c --> y</a>", "x<!-- c --> y"},
    {"chinese", "<a>家长控制</a>", "家长控制"},
    {"misnamedClose", "<a>x</b>", "x"},
    {"declarationsSkipped", "<?xml version='1.0'?><!DOCTYPE a><!-- c --><a>x</a>", "x"},
};

INSTANTIATE_TEST_SUITE_P(Texts, XMLTreeText, testing::ValuesIn(kTexts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(XMLTree, InvalidUTF8GivesNilText)
{
    auto tree = XMLTree::initWithXMLString(std::string("<a>\xff\xfe</a>"));
    ASSERT_NE(tree->rootXMLElement(), nullptr);
    EXPECT_TRUE(XMLTree::textForElement(tree->rootXMLElement()).isNil());
    auto overlong = XMLTree::initWithXMLString(std::string("<a>\xc0\xaf</a>"));
    EXPECT_TRUE(XMLTree::textForElement(overlong->rootXMLElement()).isNil());
}

TEST(XMLTree, DocumentWithoutElementsHasNoRoot)
{
    EXPECT_EQ(XMLTree::initWithXMLString("DECODE ERROR")->rootXMLElement(), nullptr);
    EXPECT_EQ(XMLTree::initWithXMLString("")->rootXMLElement(), nullptr);
    EXPECT_EQ(XMLTree::initWithXMLString(NSString())->rootXMLElement(), nullptr);
    EXPECT_EQ(XMLTree::initWithXMLData(NSData{})->rootXMLElement(), nullptr);
}

TEST(XMLTree, DataStopsAtZeroByte)
{
    std::string doc = "<a>x</a>";
    NSData data(doc.begin(), doc.end());
    data.push_back(0);
    data.push_back('<');
    auto tree = XMLTree::initWithXMLData(data);
    EXPECT_EQ(XMLTree::textForElement(tree->rootXMLElement()), "x");
}

TEST(XMLTree, ManyElementsSpanSeveralPoolBlocks)
{
    std::string doc = "<r>";
    for (int i = 0; i < 1000; ++i) doc += "<i n='" + std::to_string(i) + "'>" + std::to_string(i) + "</i>";
    doc += "</r>";
    auto tree = XMLTree::initWithXMLString(doc);
    int count = 0;
    for (auto* e = XMLTree::childElementNamed("i", tree->rootXMLElement()); e; e = XMLTree::nextSiblingNamed("i", e)) {
        EXPECT_EQ(XMLTree::textForElement(e), std::to_string(count));
        EXPECT_EQ(XMLTree::valueOfAttributeNamed("n", e), std::to_string(count));
        ++count;
    }
    EXPECT_EQ(count, 1000);
}

struct Malformed {
    const char* name;
    const char* document;
};

void PrintTo(const Malformed& c, std::ostream* os) { *os << c.name; }

class XMLTreeMalformed : public testing::TestWithParam<Malformed> {};

TEST_P(XMLTreeMalformed, IsRefused)
{
    auto tree = XMLTree::initWithXMLString(GetParam().document);
    EXPECT_EQ(tree->rootXMLElement(), nullptr);
}

const Malformed kMalformed[] = {
    {"unterminatedStartTag", "<MSG><BODY"},
    {"unterminatedStartTagWithAttribute", "<MSG a='1'"},
    {"unterminatedCloseTag", "<MSG>x</MSG"},
    {"tagCutByAnotherTag", "<MSG <BODY>x</BODY></MSG>"},
    {"closeTagCutByAnotherTag", "<MSG>x</MSG<a>"},
    {"unterminatedComment", "<MSG><!-- x </MSG>"},
    {"unterminatedCData", "<MSG><![CDATA[ x </MSG>"},
    {"unterminatedQuote", "<MSG a=\"x></MSG>"},
    {"unterminatedSingleQuote", "<MSG a='x></MSG>"},
    {"unterminatedCDataInAttribute", "<MSG a=\"<![CDATA[x\"></MSG>"},
    {"unterminatedDeclaration", "<?xml version='1.0'"},
    {"lonelyOpen", "<"},
    {"elementsLeftOpen", "<MSG><BODY><Code>0</Code>"},
    {"textLeftOpen", "<MSG><BODY><Code>0"},
};

INSTANTIATE_TEST_SUITE_P(Documents, XMLTreeMalformed, testing::ValuesIn(kMalformed),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(XMLTree, DocumentCutAtEveryByteIsRefused)
{
    const std::string doc =
        "<?xml version='1.0' encoding='utf-8' ?><MSG><HEAD><TYPE>RQ</TYPE></HEAD><BODY a=\"1 &amp; 2\">"
        "<!-- c --><Code>0</Code><Desc><![CDATA[<x>]]> &#x4e2d;</Desc><E/></BODY></MSG>";
    for (size_t cut = 0; cut < doc.size(); ++cut) {
        auto tree = XMLTree::initWithXMLString(doc.substr(0, cut));
        EXPECT_EQ(tree->rootXMLElement(), nullptr) << "cut at " << cut;
    }
    auto whole = XMLTree::initWithXMLString(doc);
    const _XMLTreeElement* body = XMLTree::childElementNamed("BODY", whole->rootXMLElement());
    EXPECT_EQ(childText(body, "Desc"), "<x> 中");
}

TEST(XMLTree, ArbitraryBytesNeverCrash)
{
    // Every document built from these pieces is read without fault, whatever it means.
    const char* pieces[] = {"<", ">", "/", "a", "'", "\"", "=", "!", "?", "-", "[", "]", "&", ";", "#", " ", "<![CDATA[",
                            "]]>", "<!--", "-->"};
    const size_t n = std::size(pieces);
    for (size_t i = 0; i < n * n * n; ++i) {
        std::string doc = std::string(pieces[i % n]) + pieces[(i / n) % n] + pieces[(i / n / n) % n] + "a" +
                          pieces[(i / 7) % n] + "<a>x</a>";
        auto tree = XMLTree::initWithXMLString(doc);
        if (tree->rootXMLElement()) XMLTree::textForElement(tree->rootXMLElement());
    }
}

// ---- The reply-parsing frame ------------------------------------------------

TEST(ParseXML, CommandReplyGivesTrimmedCodeAndDesc)
{
    auto info = ParseXML::init()->parsecutQuick(
        "<?xml version='1.0' encoding='utf-8' ?><MSG><HEAD/><BODY><Code>0</Code><Desc> ok </Desc></BODY></MSG>");
    EXPECT_EQ(info->code(), "0");
    EXPECT_EQ(info->desc(), "ok");
}

struct EmptyReply {
    const char* name;
    NSString reply;
};

void PrintTo(const EmptyReply& c, std::ostream* os) { *os << c.name; }

class ParseXMLEmpty : public testing::TestWithParam<EmptyReply> {};

TEST_P(ParseXMLEmpty, GivesAnEmptyRecord)
{
    auto parser = ParseXML::init();
    auto info = parser->parsecutQuick(GetParam().reply);
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->code().isNil());
    EXPECT_TRUE(info->desc().isNil());
    EXPECT_EQ(parser->parseKeepAlive(GetParam().reply), "null");
}

const EmptyReply kEmptyReplies[] = {
    {"nil", NSString()},
    {"cipherFailure", "DECODE ERROR"},
    {"noBody", "<MSG><HEAD/></MSG>"},
    {"bodyNotUnderRoot", "<MSG><X><BODY><Code>0</Code></BODY></X></MSG>"},
    {"cut", "<MSG><BODY><Code>0</Code><Desc>ok"},
};

INSTANTIATE_TEST_SUITE_P(Replies, ParseXMLEmpty, testing::ValuesIn(kEmptyReplies),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ParseXML, KeepAliveGivesDesc)
{
    EXPECT_EQ(ParseXML::init()->parseKeepAlive("<MSG><BODY><Desc>alive</Desc></BODY></MSG>"), "alive");
    EXPECT_EQ(ParseXML::init()->parseKeepAlive("<MSG><BODY><Desc/></BODY></MSG>"), "");
}

// A list reply read with the frame's helpers, as the catalogue's parse methods do.
class UrlRow : public NSObject {
    NX_PROPERTY(NSString, url, setUrl);
    NX_PROPERTY(NSString, count, setCount);
};

class UrlList : public NSObject {
    NX_PROPERTY(NSString, totalRecord, setTotalRecord);
    NX_PROPERTY(std::vector<std::shared_ptr<UrlRow>>, list, setList);
};

class ListParser : public ParseXML {
public:
    std::shared_ptr<UrlList> parse(const NSString& reply) const
    {
        auto record = std::make_shared<UrlList>();
        withBody(reply, [&](const _XMLTreeElement* body) {
            readFields(body, *record, {{"TotalRecord", &UrlList::setTotalRecord}});
            record->setList(readList<UrlRow>(body, {{"Url", &UrlRow::setUrl}, {"Num", &UrlRow::setCount}}));
        });
        return record;
    }
};

TEST(ParseXML, ListRowsKeepDocumentOrderAndSkipOtherElements)
{
    auto record = ListParser().parse(
        "<MSG><BODY><TotalRecord>2</TotalRecord><List><Url>a&amp;b</Url><Num>3</Num></List><Gap/>"
        "<List><Url>c</Url></List></BODY></MSG>");
    EXPECT_EQ(record->totalRecord(), "2");
    ASSERT_EQ(record->list().size(), 2u);
    EXPECT_EQ(record->list()[0]->url(), "a&b");
    EXPECT_EQ(record->list()[0]->count(), "3");
    EXPECT_EQ(record->list()[1]->url(), "c");
    EXPECT_TRUE(record->list()[1]->count().isNil());
}

TEST(ParseXML, ValueReadFromReplyIsSentBackUnchanged)
{
    // As the service escapes them in a reply.
    const std::pair<const char*, const char*> urls[] = {
        {"http://a.com/?x=1&amp;y=2", "http://a.com/?x=1&y=2"},
        {"a&lt;b&gt;c", "a<b>c"},
        {"&amp;amp; literally", "&amp; literally"},
        {"&#x666e;通", "普通"},
    };
    for (const auto& [wire, value] : urls) {
        auto record = ListParser().parse(std::string("<MSG><BODY><List><Url>") + wire + "</Url></List></BODY></MSG>");
        ASSERT_EQ(record->list().size(), 1u);
        NSString url = record->list()[0]->url();
        EXPECT_EQ(url, value);

        // Sent back in a rule list, it reaches the reader on the other side unchanged.
        auto body = Body::init();
        body->setADUrlRuleSelfList({url});
        auto tree = XMLTree::initWithXMLString(NSString("<MSG>").stringByAppendingString(body->ADUrlRuleSelfToString()));
        const _XMLTreeElement* list =
            XMLTree::childElementNamed("List", XMLTree::childElementNamed("BODY", tree->rootXMLElement()));
        EXPECT_EQ(childText(list, "UrlBlack"), value);
    }
}

}  // namespace
