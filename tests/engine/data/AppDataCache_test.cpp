// The result cache: first in, first out, every block released exactly once,
// and nothing left pointing at a released block.
#include <set>
#include <vector>

#include "engine/data/AppDataCache.h"
#include "engine/model/RouteRecords.h"
#include "tests/engine/data/DataTestSupport.h"

namespace mapengine::test {
namespace {

class AppDataCacheTest : public EngineTest {};

std::vector<void*> g_released;

void CountingRelease(void** data, int type) {
  g_released.push_back(*data);
  ReleaseSearchResult(data, type);
}

// Result slots lent out by an owner, cleared when the cache lets go.
struct Slots {
  std::vector<const void*> slots;
  static void Forget(void* context, const void* data, int) {
    for (const void*& slot : static_cast<Slots*>(context)->slots) {
      if (slot == data) {
        slot = nullptr;
      }
    }
  }
};

CVString Key(int i) {
  CVString key;
  key.Format(VStr(u"http://map.vuriv.com/?qt=con&wd=%d"), i);
  return key;
}

tag_PoiResult* NewPoiPage(int total) {
  tag_PoiResult* page = VNew<tag_PoiResult>(1);
  page->total = total;
  tag_PoiInfo poi;
  poi.point = CComplexPt(total, total);
  page->pois.Add(poi);
  return page;
}

TEST_F(AppDataCacheTest, SixResultsThroughFiveFreeExactlyTheFirst) {
  g_released.clear();
  Slots owner;
  {
    CAppDataCache cache;
    cache.SetLimit(5);
    cache.SetReleaseListener(&Slots::Forget, &owner);
    std::vector<void*> blocks;
    for (int i = 0; i < 6; ++i) {
      if (i == 5) {
        // The first result was the last one looked up: it goes all the same.
        void* found = nullptr;
        int type = 0;
        ASSERT_EQ(cache.Find(Key(0), &found, &type), 1);
        EXPECT_EQ(found, blocks[0]);
        EXPECT_EQ(type, 11);
      }
      blocks.push_back(NewPoiPage(i));
      owner.slots.push_back(blocks.back());
      ASSERT_EQ(cache.Add(Key(i), blocks.back(), 11, &CountingRelease), 1);
    }
    ASSERT_EQ(g_released.size(), 1u);
    EXPECT_EQ(g_released[0], blocks[0]);
    EXPECT_EQ(owner.slots[0], nullptr);
    for (int i = 1; i < 6; ++i) {
      EXPECT_EQ(owner.slots[i], blocks[i]);
    }
    void* found = nullptr;
    int type = 0;
    EXPECT_EQ(cache.Find(Key(0), &found, &type), 0);
    ASSERT_EQ(cache.Find(Key(3), &found, &type), 1);
    EXPECT_EQ(static_cast<tag_PoiResult*>(found)->total, 3);
    EXPECT_EQ(cache.GetCount(), 5);
  }
  // Destruction releases the rest, oldest first; the sanitizer checks that
  // each block is freed once and none leaks.
  ASSERT_EQ(g_released.size(), 6u);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(owner.slots[i], nullptr);
  }
  EXPECT_EQ(std::set<void*>(g_released.begin(), g_released.end()).size(), 6u);
}

TEST_F(AppDataCacheTest, KeysRepeatAndTheNewestWins) {
  CAppDataCache cache;
  cache.SetLimit(50);
  cache.RemoveAll();  // on an empty cache: nothing
  ASSERT_EQ(cache.Add(Key(1), NewPoiPage(1), 12, &ReleaseSearchResult), 1);
  ASSERT_EQ(cache.Add(Key(1), NewPoiPage(2), 21, &ReleaseSearchResult), 1);
  void* found = nullptr;
  int type = 0;
  ASSERT_EQ(cache.Find(Key(1), &found, &type), 1);
  EXPECT_EQ(static_cast<tag_PoiResult*>(found)->total, 2);
  EXPECT_EQ(type, 21);
  EXPECT_EQ(cache.GetCount(), 2);
  cache.RemoveAll();
  EXPECT_EQ(cache.GetCount(), 0);
  EXPECT_EQ(cache.Find(Key(1), &found, &type), 0);
}

TEST_F(AppDataCacheTest, ALimitBelowOneKeepsOne) {
  g_released.clear();
  CAppDataCache cache;
  void* first = NewPoiPage(1);
  ASSERT_EQ(cache.Add(Key(1), first, 11, &CountingRelease), 1);
  ASSERT_EQ(cache.Add(Key(2), NewPoiPage(2), 11, &CountingRelease), 1);
  ASSERT_EQ(g_released.size(), 1u);
  EXPECT_EQ(g_released[0], first);
  EXPECT_EQ(cache.GetCount(), 1);
}

TEST_F(AppDataCacheTest, EveryCachedTypeIsReleasedWithItsRecords) {
  CAppDataCache cache;
  cache.SetLimit(10);
  auto* detail = VNew<tag_PoiDetailRst>(1);
  detail->ext.pictures.Add(W(u"pic"));
  auto* transit = VNew<tag_BusRouteRst>(1);
  transit->routes.SetSize(2);
  auto* drive = VNew<tag_CarRouteRst>(1);
  drive->route.links.SetSize(3);
  auto* multi = VNew<tag_MultiPoiRst>(1);
  multi->poiLists.SetSize(2);
  auto* suggestion = VNew<tag_SuggestionResult>(1);
  suggestion->matched.Add(W(u"天安门"));
  auto* location = VNew<tagLocReply>(1);
  struct Entry {
    void* data;
    int type;
  } entries[] = {{detail, 6}, {transit, 14}, {drive, 20}, {VNew<tag_CarRouteRst>(1), 31}, {multi, 45},
                 {suggestion, 506}, {location, 503}, {NewPoiPage(1), 21}};
  for (const Entry& e : entries) {
    ASSERT_EQ(cache.Add(Key(e.type), e.data, e.type, &ReleaseSearchResult), 1);
  }
  // Leaving the test, the cache frees them all; LeakSanitizer checks.
  void* none = nullptr;
  ReleaseSearchResult(&none, 6);
  ReleaseSearchResult(nullptr, 6);
  void* unknown = VNew<tag_PoiResult>(1);
  void* kept = unknown;
  ReleaseSearchResult(&unknown, 999);
  EXPECT_EQ(unknown, kept);  // a type it does not know is left to its owner
  VDelete(static_cast<tag_PoiResult*>(kept));
}

}  // namespace
}  // namespace mapengine::test
