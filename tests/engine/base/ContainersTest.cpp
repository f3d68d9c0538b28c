#include <gtest/gtest.h>

#include <vector>

#include "EngineTestSupport.h"
#include "engine/base/VArray.h"
#include "engine/base/VList.h"
#include "engine/base/VMap.h"
#include "engine/base/VTypes.h"

namespace mapengine::test {

using ArrayTest = EngineTest;

TEST_F(ArrayTest, AutomaticGrowthFollowsTheStepRule) {
  CVArray<int, int> a;
  std::vector<int> capacities;
  for (int i = 0; i < 14; ++i) {
    a.SetAtGrow(i, i);
    if (capacities.empty() || capacities.back() != a.GetCapacity()) capacities.push_back(a.GetCapacity());
  }
  EXPECT_EQ(capacities, (std::vector<int>{1, 5, 9, 13, 17}));
  a.SetSize(32);
  a.SetSize(33);
  EXPECT_EQ(a.GetCapacity(), 36);  // 32 + 32 / 8
  a.SetSize(64);
  a.SetSize(65);
  EXPECT_EQ(a.GetCapacity(), 72);  // 64 + 64 / 8
  a.SetSize(8200);
  a.SetSize(8201);
  EXPECT_EQ(a.GetCapacity(), 8200 + 1024);
  for (int i = 0; i < 14; ++i) EXPECT_EQ(a[i], i);
  EXPECT_EQ(a[100], 0);  // new places are zeroed
}

TEST_F(ArrayTest, SizingKeepsCapacityAndAFixedStep) {
  CVArray<int, int> a;
  a.SetSize(10);
  a.SetSize(5);
  EXPECT_EQ(a.GetCapacity(), 10);
  EXPECT_EQ(a.GetSize(), 5);
  a.SetSize(0);
  EXPECT_EQ(a.GetData(), nullptr);
  EXPECT_EQ(a.GetCapacity(), 0);
  CVArray<int, int> b;
  b.SetSize(1, 100);
  b.SetSize(2);
  EXPECT_EQ(b.GetCapacity(), 101);
  b.SetSize(102);
  EXPECT_EQ(b.GetCapacity(), 201);
  EXPECT_EQ(b.SetSize(-1), 0);
  EXPECT_EQ(b.GetSize(), 102);
}

TEST_F(ArrayTest, StringElementsSurviveGrowthInsertAndRemove) {
  CVArray<CVString, CVString&> a;
  for (int i = 0; i < 40; ++i) {
    CVString s;
    s.Format(VStr(u"item%d"), i);
    a.Add(s);
  }
  ASSERT_EQ(a.GetSize(), 40);
  CVString mid = W(u"mid");
  ASSERT_EQ(a.InsertAt(1, mid, 2), 1);
  EXPECT_EQ(U16(a[0]), u"item0");
  EXPECT_EQ(U16(a[1]), u"mid");
  EXPECT_EQ(U16(a[2]), u"mid");
  EXPECT_EQ(U16(a[3]), u"item1");
  EXPECT_EQ(U16(a[41]), u"item39");
  ASSERT_EQ(a.RemoveAt(0, 3), 1);
  EXPECT_EQ(U16(a[0]), u"item1");
  EXPECT_EQ(a.GetSize(), 39);
  // An element of the array itself, while the array grows.
  ASSERT_EQ(a.SetAtGrow(200, a[0]), 1);
  EXPECT_EQ(U16(a[200]), u"item1");
  EXPECT_TRUE(a[150].IsEmpty());
  ASSERT_EQ(a.InsertAt(0, a[200], 1), 1);
  EXPECT_EQ(U16(a[0]), u"item1");
  // Past the end: the gap is filled with empty strings.
  CVArray<CVString, CVString&> b;
  CVString x = W(u"x");
  ASSERT_EQ(b.InsertAt(2, x, 1), 1);
  EXPECT_EQ(b.GetSize(), 3);
  EXPECT_TRUE(b[0].IsEmpty());
  EXPECT_EQ(U16(b[2]), u"x");
}

TEST_F(ArrayTest, BadArgumentsChangeNothing) {
  CVArray<int, int> a;
  a.SetSize(3);
  struct Case {
    int index;
    int count;
  };
  for (Case c : {Case{-1, 1}, Case{0, 4}, Case{3, 1}, Case{2, -1}, Case{4, 0}}) {
    EXPECT_EQ(a.RemoveAt(c.index, c.count), 0) << c.index << "," << c.count;
  }
  EXPECT_EQ(a.InsertAt(-1, 5, 1), 0);
  EXPECT_EQ(a.InsertAt(0, 5, 0), 0);
  EXPECT_EQ(a.SetAtGrow(-1, 5), 0);
  EXPECT_EQ(a.InsertAt(0x7FFFFFFF, 5, 1), 0);
  EXPECT_EQ(a.GetSize(), 3);
  EXPECT_EQ(a.RemoveAt(3, 0), 1);
}

TEST_F(ArrayTest, CopyAndAppendAssignElementByElement) {
  CVArray<CVString, CVString&> a;
  CVString s1 = W(u"one"), s2 = W(u"two");
  a.Add(s1);
  a.Add(s2);
  CVArray<CVString, CVString&> b;
  b.Copy(a);
  a[0] = W(u"changed");
  EXPECT_EQ(U16(b[0]), u"one");
  EXPECT_EQ(b.Append(b), 2);
  EXPECT_EQ(b.GetSize(), 4);
  EXPECT_EQ(U16(b[3]), u"two");
  CVArray<unsigned int, unsigned int> u1, u2;
  u1.Add(1);
  u2.Add(2);
  u2.Add(3);
  EXPECT_EQ(u1.Append(u2), 1);
  EXPECT_EQ(u1[2], 3u);
}

using ListTest = EngineTest;

TEST_F(ListTest, KeepsOrderRecyclesNodesAndEmptiesSafely) {
  CVList<CVString, CVString&> list(2);
  EXPECT_TRUE(list.RemoveHead().IsEmpty());  // harmless on an empty list
  for (const char16_t* t : {u"a", u"b", u"c"}) {
    CVString s = W(t);
    list.AddTail(s);
  }
  std::u16string walked;
  for (VPOSITION pos = list.GetHeadPosition(); pos;) walked += U16(list.GetNext(pos));
  EXPECT_EQ(walked, u"abc");
  EXPECT_EQ(U16(list.RemoveHead()), u"a");
  CVString d = W(u"d");
  list.AddTail(d);
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_EQ(U16(list.GetTail()), u"d");
  EXPECT_EQ(U16(list.RemoveHead()), u"b");
  EXPECT_EQ(U16(list.RemoveHead()), u"c");
  EXPECT_EQ(U16(list.RemoveHead()), u"d");
  EXPECT_TRUE(list.IsEmpty());
  CVString e = W(u"e");
  list.AddTail(e);
  EXPECT_EQ(U16(list.GetHead()), u"e");
  // Destruction with values still in the list frees them (checked by the sanitizer).
}

using MapTest = EngineTest;

TEST_F(MapTest, WordKeysHashByTheirHighBits) {
  EXPECT_EQ(CVMapWordToPtr::HashKey(16) % 17, 1u);
  EXPECT_EQ(CVMapWordToPtr::HashKey(17) % 17, 1u);
  EXPECT_EQ(CVMapWordToPtr::HashKey(15) % 17, 0u);
  CVMapWordToPtr map(10);
  int a = 1, b = 2;
  map[16] = &a;
  map.SetAt(17, &b);
  void* v = nullptr;
  ASSERT_EQ(map.Lookup(16, v), 1);
  EXPECT_EQ(v, &a);
  ASSERT_EQ(map.Lookup(17, v), 1);
  EXPECT_EQ(v, &b);
  EXPECT_EQ(map.Lookup(15, v), 0);
  EXPECT_EQ(map.RemoveKey(16), 1);
  EXPECT_EQ(map.RemoveKey(16), 0);
  EXPECT_EQ(map.GetCount(), 1);
}

TEST_F(MapTest, StringKeysHashTimes33AndIterateEveryEntryOnce) {
  EXPECT_EQ(CVMapStringToPtr::HashKey(VStr(u"ab")), 97u * 33 + 98);
  CVMapStringToPtr map(3);
  EXPECT_EQ(map.GetStartPos(), nullptr);
  int values[40];
  for (int i = 0; i < 40; ++i) {
    CVString key;
    key.Format(VStr(u"k%d"), i);
    map.SetAt(key, &values[i]);
  }
  EXPECT_EQ(map.GetCount(), 40);
  int seen = 0;
  for (VPOSITION pos = map.GetStartPos(); pos;) {
    CVString key;
    void* value = nullptr;
    map.GetNextPair(pos, key, value);
    int i = wide_atoi(key.GetBuffer() + 1);
    EXPECT_EQ(value, &values[i]);
    ++seen;
  }
  EXPECT_EQ(seen, 40);
  for (int i = 0; i < 40; ++i) {
    CVString key;
    key.Format(VStr(u"k%d"), i);
    ASSERT_EQ(map.RemoveKey(key), 1);
  }
  EXPECT_EQ(map.GetStartPos(), nullptr);
  map[VStr(u"again")] = &values[0];  // a new table after the last removal
  void* v;
  EXPECT_EQ(map.Lookup(VStr(u"again"), v), 1);
}

TEST_F(MapTest, SingleEntryIterationAndStringValues) {
  CVMapStringToString map;
  map.SetAt(VStr(u"key"), W(u"value"));
  VPOSITION pos = map.GetStartPos();
  EXPECT_EQ(pos, kVBeforeStartPosition);
  CVString key, value;
  map.GetNextPair(pos, key, value);
  EXPECT_EQ(pos, nullptr);
  EXPECT_EQ(U16(key), u"key");
  EXPECT_EQ(U16(value), u"value");
  map[VStr(u"key")] += VStr(u"2");
  CVString out;
  ASSERT_EQ(map.Lookup(VStr(u"key"), out), 1);
  EXPECT_EQ(U16(out), u"value2");
  EXPECT_TRUE(map[VStr(u"new")].IsEmpty());
  EXPECT_EQ(map.GetCount(), 2);
  map.InitBuckets(31);
  EXPECT_EQ(map.GetHashTableSize(), 31u);
}

TEST(ValueTypes, PointsAndRects) {
  _VRect r;
  r.SetRect(0, 0, 5, 3);
  EXPECT_EQ(r.CenterPoint(), (_VPoint{2, 1}));
  EXPECT_EQ(r.Width(), 5);
  EXPECT_EQ(r.Height(), 3);
  EXPECT_EQ(r.Size().cx, 5);
  EXPECT_EQ(r.BottomRight(), (_VPoint{5, 3}));
  _VRect n{-5, -5, 0, 0};
  EXPECT_EQ(n.CenterPoint(), (_VPoint{-2, -2}));  // integer division toward zero
  _VPoint p{1, 2};
  p.Offset(3, 4);
  EXPECT_EQ(p.Equals(4, 6), 1);
  EXPECT_EQ((p - _VPoint{1, 1}), (_VPoint{3, 5}));
  EXPECT_EQ(_VPoint::FromPacked(static_cast<int>(0xFFFEFFFFu)), (_VPoint{-1, -2}));
  EXPECT_EQ(_VPoint::FromPacked(0x00030002), (_VPoint{2, 3}));
}

}  // namespace mapengine::test
