// Every parser against replies that are cut, damaged, of the wrong kind at
// any place, or very large: each answers with its failure or a partial
// record, never a crash (the sanitizers watch every read).
#include <climits>
#include <functional>
#include <random>

#include "engine/model/RouteRecords.h"
#include "engine/data/VJsonResultParser.h"
#include "tests/engine/data/DataTestSupport.h"
#include "tools/mapdemo/DemoReplies.h"
#include "fuzz/support/EveryParser.h"

namespace mapengine::test {
namespace {

class MalformedRepliesTest : public EngineTest {};

std::vector<std::string> DemoReplies() {
  using namespace mapdemo;
  return {PoiSearchReply(11, "天安门"), PoiSearchReply(12, "门"), MultiPoiReply({"门", "站"}), PoiDetailReply(),
          CityInfoReply(), CurrentCityReply(), CityListReply(), PoiPointReply("前门"), PoiBkgReply(),
          GeocodeReply("前门"), ReverseGeocodeReply("天安门"), SuggestionReply("天安门"), ContentReply(),
          StateReply(), DriveRouteReply(), WalkRouteReply(), TransitReply(), BusLineDetailReply(),
          RouteAddrReply(), OfflineTaskListReply(), VersionReply(), LocationReply({1, 2})};
}

// Runs every parser over the tree, each into a fresh record.
void ForEachNode(VJson* node, const std::function<void(VJson*)>& visit) {
  for (; node; node = node->next) {
    visit(node);
    ForEachNode(node->child, visit);
  }
}

TEST_F(MalformedRepliesTest, EveryNodeOfEveryReplyInEveryWrongKind) {
  char empty[] = "";
  char odd[] = "\xB0";  // half a GBK character
  for (const std::string& text : DemoReplies()) {
    Reply reply(text);
    ASSERT_NE(reply.root(), nullptr) << text;
    ParseWithEvery(reply.root());
    std::vector<VJson*> nodes;
    ForEachNode(reply.root(), [&](VJson* n) { nodes.push_back(n); });
    for (VJson* node : nodes) {
      VJson saved = *node;
      struct Kind {
        int type;
        char* string;
        double number;
      } kinds[] = {{VJson_Number, nullptr, -1e300}, {VJson_String, empty, 0}, {VJson_String, odd, 0},
                   {VJson_Array, nullptr, 0},        {VJson_Object, nullptr, 0}, {VJson_NULL, nullptr, 0}};
      for (const Kind& k : kinds) {
        node->type = k.type;
        node->valuestring = k.string;
        node->valuedouble = k.number;
        node->valueint = k.number < 0 ? INT_MIN : 0;
        node->child = nullptr;
        ParseWithEvery(reply.root());
      }
      *node = saved;
    }
  }
}

TEST_F(MalformedRepliesTest, CutAndDamagedReplies) {
  std::mt19937 random(27);
  for (const std::string& text : DemoReplies()) {
    for (size_t cut = 0; cut < text.size(); cut += 7) {
      Reply reply(text.substr(0, cut));
      ParseWithEvery(reply.root());
    }
    for (int round = 0; round < 50; ++round) {
      std::string damaged = text;
      for (int flips = 0; flips < 3; ++flips) {
        damaged[random() % damaged.size()] = static_cast<char>(random() % 256);
      }
      Reply reply(damaged);
      ParseWithEvery(reply.root());
    }
  }
}

TEST_F(MalformedRepliesTest, OversizedRepliesAreCutToTheirFields) {
  std::string name(5000, 'N');
  std::string pois;
  for (int i = 0; i < 400; ++i) {
    pois += (i ? "," : "") + std::string("{\"name\":\"") + name + "\",\"uid\":\"" + name + "\",\"tel\":\"" + name +
            "\",\"addr\":\"" + name + ";" + name + "\",\"geo\":\"" + name + "\"}";
  }
  std::string text = "{\"result\":{\"type\":11,\"total\":400,\"wd\":\"" + name + "\"},\"content\":[" + pois + "]}";
  ASSERT_GT(text.size(), 8000000u);
  Reply reply(text);
  ASSERT_NE(reply.root(), nullptr);
  tag_PoiResult result;
  VJsonResultParser parser;
  ASSERT_EQ(parser.ParsePoiSearchInCity(reply.root(), &result), 1);
  ASSERT_EQ(result.pois.GetSize(), 400);
  EXPECT_EQ(std::string(result.keyword), std::string(59, 'N'));
  EXPECT_EQ(std::string(result.pois[399].name), std::string(99, 'N'));
  EXPECT_EQ(std::string(result.pois[399].uid), std::string(31, 'N'));
  EXPECT_EQ(std::string(result.pois[399].addr), std::string(99, 'N'));
  EXPECT_EQ(result.pois[399].point.GetPartSize(), 0);
  ParseWithEvery(reply.root());
}

}  // namespace
}  // namespace mapengine::test
