#include "utils/xml_parser.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

const std::string kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
const std::string kNs = "xmlns=\"http://www.isapi.org/ver20/XMLSchema\" version=\"2.0\"";

struct ParseCase {
    const char* name;
    std::string text;
    bool parses;
};

std::ostream& operator<<(std::ostream& os, const ParseCase& c) {
    return os << c.name;
}

class ParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseTest, ReportsWellFormedness) {
    Utils::XmlParser parser;
    EXPECT_EQ(parser.parse(GetParam().text), GetParam().parses);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseTest,
    ::testing::Values(ParseCase{"Empty", "", false},
                      ParseCase{"DeclarationOnly", "<?xml version=\"1.0\"?>", false},
                      ParseCase{"CommentOnly", "<!-- nothing -->", false},
                      ParseCase{"Unclosed", "<ResponseStatus><statusString>OK", false},
                      ParseCase{"PlainText", "OK", false}, ParseCase{"Minimal", "<a/>", true},
                      ParseCase{"StatusDocument",
                                "<ResponseStatus><statusString>OK</statusString></ResponseStatus>",
                                true},
                      ParseCase{"EndsAtZeroByte", std::string("<a/>\0garbage<", 13), true}),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return info.param.name; });

struct TextCase {
    const char* name;
    std::string document;
    std::string parent;
    std::string child;
    std::string expected;
};

std::ostream& operator<<(std::ostream& os, const TextCase& c) {
    return os << c.name;
}

class GetTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(GetTextTest, ReadsTwoLevelsBelowTheDocument) {
    Utils::XmlParser parser;
    ASSERT_TRUE(parser.parse(GetParam().document));
    EXPECT_EQ(parser.get_text(GetParam().parent, GetParam().child), GetParam().expected);
}

const std::string kStatus = "<ResponseStatus><statusString>OK</statusString></ResponseStatus>";

INSTANTIATE_TEST_SUITE_P(
    Lookups, GetTextTest,
    ::testing::Values(
        TextCase{"Found", kStatus, "ResponseStatus", "statusString", "OK"},
        TextCase{"MissingParent", kStatus, "Response", "statusString", ""},
        TextCase{"MissingChild", kStatus, "ResponseStatus", "statusCode", ""},
        TextCase{"ParentIsCaseSensitive", kStatus, "responseStatus", "statusString", ""},
        TextCase{"SpacesKept", "<R><s> OK </s></R>", "R", "s", " OK "},
        TextCase{"LineBreaksKept", "<R><s>\nOK\n</s></R>", "R", "s", "\nOK\n"},
        TextCase{"EntityExpanded", "<R><s>a&amp;b</s></R>", "R", "s", "a&b"},
        TextCase{"CdataRead", "<R><s><![CDATA[<OK>]]></s></R>", "R", "s", "<OK>"},
        TextCase{"NestedElementHasNoText", "<R><s><t>OK</t></s></R>", "R", "s", ""},
        TextCase{"GrandchildNotSearched", "<R><x><s>OK</s></x></R>", "R", "s", ""},
        TextCase{"PrefixedNameDoesNotMatch", "<R xmlns:p=\"u\"><p:s>OK</p:s></R>", "R", "s", ""},
        TextCase{"FirstOfTwo", "<R><s>1</s><s>2</s></R>", "R", "s", "1"}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return info.param.name; });

TEST(XmlParser, SecondParseReplacesTheFirstDocument) {
    Utils::XmlParser parser;
    ASSERT_TRUE(parser.parse("<A><x>1</x></A>"));
    ASSERT_TRUE(parser.parse("<B><y>2</y></B>"));
    EXPECT_EQ(parser.get_text("A", "x"), "");
    EXPECT_EQ(parser.get_text("B", "y"), "2");
}

struct BuildCase {
    const char* name;
    std::string root;
    std::map<std::string, std::string> fields;
    std::string expected;
};

std::ostream& operator<<(std::ostream& os, const BuildCase& c) {
    return os << c.name;
}

class BuildTest : public ::testing::TestWithParam<BuildCase> {};

TEST_P(BuildTest, WritesTheBodyByteForByte) {
    EXPECT_EQ(Utils::XmlParser::build_ptz_xml(GetParam().root, GetParam().fields),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, BuildTest,
    ::testing::Values(
        BuildCase{
            "CapitalsSortFirst",
            "Sample",
            {{"beta", "1"}, {"Alpha", "x"}},
            kHead + "<Sample " + kNs + ">\n\t<Alpha>x</Alpha>\n\t<beta>1</beta>\n</Sample>\n"},
        BuildCase{"EmptyMapSelfCloses", "Sample", {}, kHead + "<Sample " + kNs + " />\n"},
        BuildCase{"EmptyValue", "R", {{"a", ""}}, kHead + "<R " + kNs + ">\n\t<a></a>\n</R>\n"},
        BuildCase{"ByteOrder",
                  "R",
                  {{"elevation", "1"}, {"azimuth", "2"}, {"absoluteZoom", "3"}},
                  kHead + "<R " + kNs +
                      ">\n\t<absoluteZoom>3</absoluteZoom>\n\t<azimuth>2</azimuth>\n"
                      "\t<elevation>1</elevation>\n</R>\n"},
        BuildCase{"TextEscaped",
                  "R",
                  {{"a", "x&y<z>\"q\""}},
                  kHead + "<R " + kNs + ">\n\t<a>x&amp;y&lt;z&gt;\"q\"</a>\n</R>\n"},
        BuildCase{"NamesAndTextsEndAtZeroByte",
                  "R",
                  {{std::string("a\0b", 3), std::string("x\0y", 3)}},
                  kHead + "<R " + kNs + ">\n\t<a>x</a>\n</R>\n"}),
    [](const ::testing::TestParamInfo<BuildCase>& info) { return info.param.name; });

}  // namespace
