#include "engine/render/VDraw.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/testing/TempFolder.h"
#include "tools/imagefixtures/ImageFixtures.h"

using namespace mapengine;

namespace {

CVString pathOf(const std::filesystem::path& p) { return CVString(p.string().c_str()); }

class TempDir {
public:
  std::filesystem::path write(const char* name, const std::vector<uint8_t>& bytes) const {
    auto p = m_dir / name;
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                             static_cast<std::streamsize>(bytes.size()));
    return p;
  }

private:
  TempFolder m_folder;
  std::filesystem::path m_dir = m_folder.path().str();
};

std::vector<uint8_t> bmpFile(char second, int bits, int width, int height) {
  std::vector<uint8_t> f(14 + 40 + static_cast<size_t>(((bits * width + 31) >> 3) & ~3) * height, 0);
  f[0] = 'B';
  f[1] = static_cast<uint8_t>(second);
  tagBitmapInfoHeader h{40, width, height, 1, static_cast<uint16_t>(bits), 0, 0, 0, 0, 0, 0};
  std::memcpy(f.data() + 14, &h, sizeof h);
  if (f.size() > 54) f[54] = 0x42;
  return f;
}

}  // namespace

TEST(VDrawWrappers, AttachDetachAndDelete) {
  CVPen pen;
  EXPECT_EQ(pen.DeleteObject(), 0);
  ASSERT_EQ(pen.CreatePen(kPenSolid, 0, 0xFF112233), 1);
  EXPECT_EQ(pen.GetHandle()->width, 1);
  EXPECT_EQ(pen.Detach(), nullptr);  // owned: kept
  EXPECT_NE(pen.GetHandle(), nullptr);
  tagPenObj* spare = pen_create(1, 0, 0);
  EXPECT_EQ(pen.Attach(spare), 0);  // already holds one
  EXPECT_EQ(pen_free(spare), 1);

  tagBrushObj* raw = brush_create(0xFF00FF00, kBrushSolid);
  CVBrush brush;
  EXPECT_EQ(brush.Attach(nullptr), 0);
  EXPECT_EQ(brush.Attach(raw), 1);
  EXPECT_EQ(brush.DeleteObject(), 0);  // not owned: never freed by the wrapper
  EXPECT_EQ(brush.Detach(), raw);
  EXPECT_EQ(brush.GetHandle(), nullptr);
  EXPECT_EQ(brush_free(raw), 1);

  CVFont font;
  const unsigned short face[] = {'F', 0};
  EXPECT_EQ(font.CreateFont(12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr), 0);
  EXPECT_EQ(font.CreateFont(12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, face), 1);
  EXPECT_EQ(font.CreateFont(12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, face), 0);
  EXPECT_EQ(font.GetHandle()->width, 12);
}

TEST(VDrawWrappers, SelectedRecordsOutliveTheirWrappersAndAreFreedOnce) {
  CVDC dc;
  ASSERT_EQ(dc.CreateDC(), 1);
  EXPECT_EQ(dc.CreateDC(), 0);
  CVBitmap screen;
  ASSERT_EQ(screen.CreateWithSize({20, 10}), 1);
  EXPECT_EQ(screen.CreateWithSize({20, 10}), 0);
  dc.SelectBitmap(&screen);
  EXPECT_EQ(screen.GetSize().cx, 20);
  EXPECT_EQ(screen.GetBitmapInfo()->biHeight, 10);

  {
    CVPen pen;
    pen.CreatePen(kPenSolid, 1, 0xFFFF0000);
    tagPenObj* first = pen.GetHandle();
    dc.SelectPen(&pen);
    EXPECT_EQ(first->refCount, 2);
    // A new pen on the same wrapper: the selected one stays with the context.
    pen.CreatePen(kPenSolid, 3, 0xFF00FF00);
    EXPECT_EQ(first->refCount, 1);
    EXPECT_EQ(dc.GetHandle()->pen, first);
    dc.SelectPen(&pen);  // the first pen loses its last holder and is freed
    EXPECT_EQ(pen.DeleteObject(), 0);  // selected: kept alive for the context
    EXPECT_EQ(dc.GetHandle()->pen->width, 3);
  }
  EXPECT_EQ(dc.SelectPen(nullptr), nullptr);

  // FillSolidRect keeps the background colour.
  uint32_t bk = dc.GetHandle()->bkColor;
  EXPECT_EQ(dc.FillSolidRect({0, 0, 20, 10}, 0xFF0000FF), 1);
  EXPECT_EQ(dc.GetHandle()->bkColor, bk);
  EXPECT_EQ(reinterpret_cast<uint32_t*>(screen.GetBits())[199], 0xFF0000FFu);

  // Text is never drawn and measures zero.
  CVString text("abc");
  EXPECT_EQ(dc.DrawText(text), 0);
  EXPECT_EQ(dc.GetTextExtent(text).cx, 0);
  EXPECT_EQ(dc.GetTextExtent(text).cy, 0);
  EXPECT_EQ(reinterpret_cast<uint32_t*>(screen.GetBits())[0], 0xFF0000FFu);

  // The line goes through the context; copies from another context too.
  dc.MoveTo(0, 5);
  EXPECT_EQ(dc.LineTo(19, 5), 1);
  CVDC other;
  other.CreateDC();
  CVBitmap back;
  back.CreateWithSize({20, 10});
  other.SelectBitmap(&back);
  EXPECT_EQ(other.BitBltFromDC(0, 0, 20, 10, dc, 0, 0, kSrcCopy), 1);
  EXPECT_EQ(std::memcmp(back.GetBits(), screen.GetBits(), 800), 0);
  EXPECT_EQ(other.StretchBltFromBitmap(0, 0, 20, 10, screen.GetHandle(), 0, 0, 10, 5, kSrcCopy), 1);

  // A context held without ownership is only dropped.
  CVDC borrowed;
  EXPECT_EQ(borrowed.Attach(dc.GetHandle()), 1);
  EXPECT_EQ(borrowed.DeleteDC(), 0);
  EXPECT_EQ(dc.IsValid(), 1);
  EXPECT_EQ(borrowed.DeleteDC(), 1);
  // The screen wrapper goes first here; the context frees the bitmap at its end.
}

TEST(VDrawFiles, LoadPngAndBmp) {
  TempDir dir;
  imagefixtures::PngLayout layout;
  auto png = dir.write("a.png", imagefixtures::makePng(layout, std::vector<uint8_t>(4 * 3 * 3, 9)));
  CVBitmap b;
  EXPECT_EQ(b.LoadPNGFile(pathOf(dir.write("bad.png", {1, 2, 3}))), 0);
  EXPECT_EQ(b.LoadPNGFile(pathOf("/nonexistent/x.png")), 0);
  ASSERT_EQ(b.LoadPNGFile(pathOf(png)), 1);
  EXPECT_EQ(b.GetSize().cx, 4);
  EXPECT_EQ(reinterpret_cast<uint32_t*>(b.GetBits())[0], 0xFF090909u);
  EXPECT_EQ(b.LoadPNGFile(pathOf(png)), 0);  // already holds a bitmap

  struct Case {
    const char* what;
    std::vector<uint8_t> file;
    int result;
  };
  auto truncated = bmpFile('M', 32, 2, 2);
  truncated.resize(30);
  const Case cases[] = {{"BM with 32 bits", bmpFile('M', 32, 2, 2), 1},
                        {"BM with 24 bits", bmpFile('M', 24, 2, 2), 0},
                        {"BE with 16 bits (high byte 0)", bmpFile('E', 16, 2, 2), 0},
                        {"other magic, 24 bits", bmpFile('X', 24, 3, 2), 1},
                        {"shorter than its headers", truncated, 0},
                        {"palette image", bmpFile('X', 8, 4, 2), 0}};
  for (const Case& c : cases) {
    CVBitmap bmp;
    EXPECT_EQ(bmp.LoadBMPFile(pathOf(dir.write("t.bmp", c.file))), c.result) << c.what;
  }
  CVBitmap bmp;
  ASSERT_EQ(bmp.LoadBMPFile(pathOf(dir.write("u.bmp", bmpFile('M', 32, 2, 2)))), 1);
  // The first stored row is the bottom one.
  EXPECT_EQ(bmp.GetBits()[8], 0x42);
}
