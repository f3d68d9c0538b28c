// Geocoding, reverse geocoding, suggestion, content and state replies.
#include "engine/model/SearchRecords.h"
#include "engine/data/VJsonResultParser.h"
#include "tests/engine/data/DataTestSupport.h"
#include "tools/mapdemo/DemoReplies.h"

namespace mapengine::test {
namespace {

class GeocodeParsersTest : public EngineTest {
protected:
  VJsonResultParser parser;
};

TEST_F(GeocodeParsersTest, GeocodeGivesTheAddressAndItsPoint) {
  Reply reply(mapdemo::GeocodeReply("故宫博物院"));
  tag_GeoCodeRst result;
  int error = -1;
  ASSERT_EQ(parser.ParseGeocode(reply.root(), &result, &error), 1);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(G(result.address), u"北京市东城区景山前街4号");
  EXPECT_EQ(G(result.cityName), u"北京市");
  EXPECT_EQ(result.x, 12958189);
  EXPECT_EQ(result.y, 4827127);
}

TEST_F(GeocodeParsersTest, GeocodeServiceErrorsAndBrokenReplies) {
  struct Case {
    std::string text;
    int result;
    int error;
  } cases[] = {
      {mapdemo::GeocodeReply("没有这个地方"), 1, 11},
      {R"({"result":{},"content":{"wd":"a","coord":{"x":12,"y":"3"}}})", 0, -1},
      {R"({"result":{},"content":[]})", 0, -1},
      {R"({"result":[],"content":{}})", 0, -1},
      {R"({"result":{},"content":{"coord":{"x":"99999999999","y":"-5"}}})", 1, 0},
  };
  for (const Case& c : cases) {
    Reply reply(c.text);
    tag_GeoCodeRst result;
    result.x = 77;
    int error = -1;
    EXPECT_EQ(parser.ParseGeocode(reply.root(), &result, &error), c.result) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_NE(result.x, 77) << "the record is cleared first";
  }
  Reply clamped(cases[4].text);
  tag_GeoCodeRst result;
  int error = 0;
  parser.ParseGeocode(clamped.root(), &result, &error);
  EXPECT_EQ(result.x, INT_MAX);
  EXPECT_EQ(result.y, -5);
}

TEST_F(GeocodeParsersTest, ReverseGeocodeGivesTheAddressAndThePlacesAround) {
  Reply reply(mapdemo::ReverseGeocodeReply("天安门"));
  tag_PoiResult holder;
  int error = -1;
  ASSERT_EQ(parser.ParseReverseGeocode(reply.root(), &holder, &error), 1);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(G(holder.address), u"北京市东城区东长安街");
  EXPECT_EQ(G(holder.street), u"东长安街");
  EXPECT_EQ(G(holder.district), u"东城区");
  EXPECT_EQ(G(holder.cityName), u"北京市");
  EXPECT_EQ(G(holder.province), u"北京市");
  EXPECT_EQ(holder.streetNumber[0], 0);
  EXPECT_EQ(holder.x, 12958160);
  EXPECT_EQ(holder.y, 4825907);
  // Places within 1000 units: 人民大会堂, 中国国家博物馆, 天安门东 (and 故宫 just outside).
  ASSERT_EQ(holder.pois.GetSize(), 3);
  const tag_PoiInfo& museum = holder.pois[1];
  EXPECT_EQ(G(museum.name), u"中国国家博物馆");
  EXPECT_EQ(museum.poiType, 10);
  EXPECT_STREQ(museum.tel, "(010)65116400 ");
  EXPECT_STREQ(museum.postcode, "100006");
  EXPECT_EQ(museum.distance, 811);
  // "x" = "12958850.25": times 100, truncated.
  EXPECT_EQ(museum.point.GetPoint(0, 0), (_VPoint{1295885025, 482548075}));
  EXPECT_EQ(G(holder.pois[2].addr), u"1路;1路;52路;52路");  // not collapsed here
}

TEST_F(GeocodeParsersTest, ReverseGeocodeFailuresLeaveTheHolder) {
  struct Case {
    const char* text;
    int result;
    int error;
  } cases[] = {
      {R"({"result":{"error":3}})", 1, 11},
      {R"({"result":{},"content":{"point":{"x":"1","y":"2"},"surround_poi":[]}})", 0, -1},
      {R"({"result":{},"content":{"address":"a","point":{"x":1,"y":"2"},"surround_poi":[]}})", 0, -1},
      {R"({"result":{},"content":{"address":"a","point":{"x":"1","y":"2"}}})", 0, -1},
      {R"({"result":{},"content":{"address":"a","point":{"x":"1","y":"2"},"surround_poi":[{"name":"n"}]}})", 0, -1},
      {R"({"result":{},"content":{"address":"a","point":{"x":"1","y":"2"},"surround_poi":[]}})", 1, 0},
  };
  for (const Case& c : cases) {
    Reply reply(c.text);
    tag_PoiResult holder;
    holder.x = 77;
    int error = -1;
    EXPECT_EQ(parser.ParseReverseGeocode(reply.root(), &holder, &error), c.result) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_EQ(holder.x, c.error == 0 ? 1 : 77) << c.text;
  }
}

TEST_F(GeocodeParsersTest, SuggestionsSplitAtDollars) {
  Reply reply(mapdemo::SuggestionReply("天安门"));
  tag_SuggestionResult result;
  ASSERT_EQ(parser.ParseSuggestion(reply.root(), &result), 1);
  EXPECT_EQ(U16(result.query), u"天安门");
  EXPECT_EQ(result.p, 0);
  EXPECT_EQ(result.t, 1);
  // 天安门, 天安门东, 天安门广场; the two-"$" element is skipped.
  ASSERT_EQ(result.matched.GetSize(), 3);
  EXPECT_EQ(U16(result.matched[0]), u"天安门");
  EXPECT_EQ(U16(result.prefixes[0]), u"北京市东城区");
  EXPECT_EQ(U16(result.matched[1]), u"天安门东");
  EXPECT_EQ(U16(result.matched[2]), u"天安门广场");
  EXPECT_EQ(U16(result.prefixes[2]), u"北京市东城区");
  EXPECT_EQ(U16(result.part0[2]), u"北京市");
  EXPECT_EQ(U16(result.part1[2]), u"东城区");
  EXPECT_EQ(U16(result.part2[2]), u"天安门广场");
  ASSERT_EQ(result.numbers.GetSize(), 3);
  EXPECT_EQ(result.numbers[2], 3);
}

TEST_F(GeocodeParsersTest, SuggestionPartsAndDroppedElements) {
  struct Case {
    const char16_t* element;
    const char16_t* matched;  // null: dropped
    const char16_t* prefix;
  } cases[] = {
      {u"a$b$c$d$e$7$", u"cd", u"ab"},
      {u"c$b$x$d$e$7$", u"cbxd", u""},
      {u"a$c$x$d$e$7$", u"cxd", u"a"},
      {u"a$b$x$d$e$7$", u"d", u"abx"},
      {u"a$b$x$$e$7$", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    std::u16string element(c.element);
    std::string utf8;
    for (char16_t u : element) {
      utf8 += static_cast<char>(u);
    }
    Reply reply(R"({"q":"c","s":[")" + utf8 + R"("]})");
    tag_SuggestionResult result;
    ASSERT_EQ(parser.ParseSuggestion(reply.root(), &result), 1);
    ASSERT_EQ(result.numbers.GetSize(), 1) << utf8;  // kept even when dropped
    EXPECT_EQ(result.numbers[0], 7);
    if (!c.matched) {
      EXPECT_EQ(result.matched.GetSize(), 0) << utf8;
      continue;
    }
    ASSERT_EQ(result.matched.GetSize(), 1) << utf8;
    EXPECT_EQ(U16(result.matched[0]), c.matched) << utf8;
    EXPECT_EQ(U16(result.prefixes[0]), c.prefix) << utf8;
  }
  Reply noQuery(R"({"s":["a$b$c$d$"]})");
  tag_SuggestionResult empty;
  EXPECT_EQ(parser.ParseSuggestion(noQuery.root(), &empty), 1);
  EXPECT_EQ(empty.numbers.GetSize(), 0);
  Reply notObject(R"(["q"])");
  EXPECT_EQ(parser.ParseSuggestion(notObject.root(), &empty), 0);
}

TEST_F(GeocodeParsersTest, ContentAndStateReplies) {
  Reply content(mapdemo::ContentReply());
  tag_ContentRst result;
  ASSERT_EQ(parser.ParseContent(content.root(), &result), 1);
  EXPECT_EQ(result.x, 12958160.5);
  EXPECT_EQ(result.y, 4825907.25);
  EXPECT_EQ(result.value, 12);
  for (const char* bad : {R"({"content":["1.5 2.5","3"]})", R"({"content":["1.5,2.5"]})", R"({"content":{}})"}) {
    Reply reply(bad);
    EXPECT_EQ(parser.ParseContent(reply.root(), &result), 0) << bad;
  }

  Reply state(mapdemo::StateReply());
  CVString url;
  ASSERT_EQ(parser.ParseStateReply(state.root(), &url), 1);
  EXPECT_EQ(U16(url), u"http://map.vuriv.com/share/131");
  Reply upper(R"({"state":"Success","url":"u"})");
  EXPECT_EQ(parser.ParseStateReply(upper.root(), &url), 0);
}

}  // namespace
}  // namespace mapengine::test
