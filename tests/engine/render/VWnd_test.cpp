#include "engine/render/VWnd.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/foundation/NSNotificationCenter.h"

using namespace mapengine;

namespace {

class PaintObserver : public NSObject {
public:
  void paint(id) { ++count; }
  int count = 0;
};

}  // namespace

TEST(VWnd, AttachSizeAndRepaint) {
  CVWnd wnd;
  auto observer = std::make_shared<PaintObserver>();
  auto center = NSNotificationCenter::defaultCenter();
  center->addObserver(observer.get(), NX_SEL(PaintObserver, paint), kMainMapPaintNotification, nullptr);

  // Nothing happens before a view is attached.
  EXPECT_EQ(wnd.Invalidate(), 0);
  EXPECT_EQ(observer->count, 0);
  EXPECT_EQ(wnd.SetWindowPos(0, 0, {320, 480}), 0);
  _VRect r{9, 9, 9, 9};
  wnd.GetClientRect(&r);
  EXPECT_EQ(r, (_VRect{9, 9, 9, 9}));
  EXPECT_EQ(wnd.Attach(nullptr), 0);

  int view = 0;
  ASSERT_EQ(wnd.Attach(&view), 1);
  EXPECT_TRUE(wnd.GetDC().IsValid());
  ASSERT_EQ(wnd.SetWindowPos(5, 6, {320, 480}), 1);
  wnd.GetClientRect(&r);
  EXPECT_EQ(r, (_VRect{0, 0, 320, 480}));
  EXPECT_EQ(wnd.m_x, 5);
  EXPECT_EQ(wnd.m_y, 6);
  EXPECT_EQ(wnd.GetDC().GetHandle()->bitmap->bitsPerPixel, 32);

  // An empty size keeps the old context and bitmap.
  tagDCObj* before = wnd.GetDC().GetHandle();
  EXPECT_EQ(wnd.SetWindowPos(0, 0, {640, 0}), 0);
  EXPECT_EQ(wnd.GetDC().GetHandle(), before);
  wnd.GetClientRect(&r);
  EXPECT_EQ(r.right, 320);

  EXPECT_EQ(wnd.Invalidate(), 1);
  EXPECT_EQ(observer->count, 1);
  center->removeObserver(observer.get());
}
