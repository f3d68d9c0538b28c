#include "engine/render/DataDisp.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "engine/render/RasterObjects.h"
#include "platform/testing/TempFolder.h"
#include "tools/imagefixtures/ImageFixtures.h"

using namespace mapengine;

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kIconRed = 0xFFFF0000;

CGeoElement Element(int shape, int style, std::vector<_VPoint> points) {
  CGeoElement element;
  element.attr.shape = shape;
  element.attr.style = style;
  CVArray<_VPoint, _VPoint> part;
  for (const _VPoint& p : points) {
    part.Add(p);
  }
  element.geometry.AddPart(&part);
  return element;
}

class DataDispTest : public ::testing::Test {
protected:
  void SetUp() override {
    // A 20 x 30 red icon as id 1.
    imagefixtures::PngLayout layout{20, 30};
    std::vector<uint8_t> samples;
    for (int i = 0; i < 20 * 30; ++i) {
      samples.insert(samples.end(), {0xFF, 0, 0});
    }
    const std::vector<uint8_t> png = imagefixtures::makePng(layout, samples);
    std::ofstream(folder.directory() + "red.png", std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    icons.SetFolder(CVString(folder.directory().c_str()));
    icons.Add(1, CVString("red.png"), 20, 30, kIconPng, 0);
    disp.SetIconTable(&icons);
    disp.GetParam().LoadDefaults();

    bitmap.CreateWithSize({200, 200});
    dc.CreateDC();
    dc.SelectBitmap(&bitmap);
    dc.FillSolidRect({0, 0, 200, 200}, kWhite);
  }
  uint32_t At(int x, int y) const { return reinterpret_cast<const uint32_t*>(bitmap.GetBits())[y * 200 + x]; }
  int Touched() const {
    int n = 0;
    for (int i = 0; i < 200 * 200; ++i) n += reinterpret_cast<const uint32_t*>(bitmap.GetBits())[i] != kWhite;
    return n;
  }

  TempFolder folder;
  CIconTable icons;
  CDataDisp disp;
  CVBitmap bitmap;
  CVDC dc;
};

// Numbered markers and the pin stand on their point; other icons are centred.
TEST_F(DataDispTest, IconsAreAnchoredByStyle) {
  struct Case {
    int style;
    int left;
    int top;
  } cases[] = {{5, 90, 70}, {22, 90, 70}, {11, 90, 85}};
  for (const Case& c : cases) {
    dc.FillSolidRect({0, 0, 200, 200}, kWhite);
    disp.GetParam().points[c.style - 1].iconId = 1;
    CGeoElement element = Element(kShapePoint, c.style, {{100, 100}});
    disp.Draw(&dc, &element);
    EXPECT_EQ(At(c.left, c.top), kIconRed) << c.style;
    EXPECT_EQ(At(c.left + 19, c.top + 29), kIconRed) << c.style;
    EXPECT_EQ(At(c.left - 1, c.top), kWhite) << c.style;
    EXPECT_EQ(At(c.left + 20, c.top + 29), kWhite) << c.style;
    EXPECT_EQ(At(c.left, c.top + 30), kWhite) << c.style;
  }
}

TEST_F(DataDispTest, UnknownStylesShapesAndIconsDrawNothing) {
  CGeoElement elements[] = {Element(kShapeLine, 59, {{10, 10}, {150, 150}}),
                            Element(kShapeLine, 69, {{10, 10}, {150, 150}}),
                            Element(5, 63, {{10, 10}, {150, 150}}),
                            Element(kShapePoint, 0, {{100, 100}}),
                            Element(kShapePoint, 25, {{100, 100}}),
                            Element(kShapePoint, 3, {{100, 100}})};  // icon 3 is not in this table
  for (const CGeoElement& element : elements) {
    disp.Draw(&dc, &element);
  }
  disp.Draw(nullptr, &elements[0]);
  disp.Draw(&dc, nullptr);
  EXPECT_EQ(Touched(), 0);
}

// A line draws in its style's colour; an opacity above 1 counts as opaque
// instead of wrapping; the context's own pen is in place afterwards.
TEST_F(DataDispTest, LinesUseTheirStyleClampTheOpacityAndRestoreThePen) {
  disp.GetParam().lines[63 - 60].opacity = 1.5f;
  CVPen own;
  own.CreatePen(0, 1, 0xFF00FF00);
  dc.SelectPen(&own);
  CGeoElement route = Element(kShapeLine, 63, {{10, 50}, {190, 50}});
  disp.Draw(&dc, &route);
  EXPECT_EQ(At(100, 50), disp.GetParam().lines[3].color);
  const _VPoint after[] = {{10, 150}, {190, 150}};
  dc.Polyline(after, 2, 255);
  EXPECT_EQ(At(100, 150), 0xFF00FF00u);
}

TEST_F(DataDispTest, AreasFillWithTheSurfaceColourInsideTheOutline) {
  CGeoElement area = Element(kShapeArea, 60, {{20, 20}, {180, 20}, {180, 180}, {20, 180}});
  disp.Draw(&dc, &area);
  EXPECT_EQ(At(100, 100), disp.GetParam().surfaces[0].fillColor);
  EXPECT_EQ(At(100, 20), disp.GetParam().lines[0].color);
}

TEST_F(DataDispTest, DirectionMarkerPointsUp) {
  CGeoElement marker = Element(kShapePoint, kDirectionMarkerStyle, {{100, 100}});
  disp.Draw(&dc, &marker);
  const int reach = static_cast<int>(disp.GetParam().points[19].iconWidth * 0.6);
  EXPECT_NE(At(100, 100 - reach), kWhite) << "the tip";
  EXPECT_NE(At(100, 100 - disp.GetParam().points[19].iconWidth), kWhite) << "the ring";
  EXPECT_EQ(At(100, 100 + disp.GetParam().points[19].iconWidth + 2), kWhite);
}

TEST_F(DataDispTest, IconsThatAreNotResidentAreReadForEachDrawing) {
  disp.GetParam().points[4].iconId = 1;
  CGeoElement element = Element(kShapePoint, 5, {{100, 100}});
  disp.Draw(&dc, &element);
  EXPECT_EQ(icons.Find(1)->bitmap, nullptr);
  EXPECT_EQ(GetIcon(&icons, 99, nullptr, nullptr, nullptr), nullptr);
  icons.Add(2, CVString("absent.png"), 4, 4, kIconPng, 1);
  EXPECT_EQ(GetIcon(&icons, 2, nullptr, nullptr, nullptr), nullptr);
  icons.Add(3, CVString("red.png"), 4, 4, 7, 1);
  EXPECT_EQ(GetIcon(&icons, 3, nullptr, nullptr, nullptr), nullptr) << "neither PNG nor BMP";
}

}  // namespace
