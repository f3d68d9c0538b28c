// The weekly hour grid written as a PNG: 24 hour cells of four scaled quarter
// pictures with their titles, through the UI stand-in's snapshot, against
// cairo painting the same pictures into the same rectangles and writing the
// PNG itself. Goal: the snapshot within twice the reference.
#include <benchmark/benchmark.h>
#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <filesystem>

#include "pc/TimeQuarterViews.h"
#include "platform/foundation/NSBundle.h"
#include "platform/uikit/NXSnapshot.h"

namespace {

constexpr int kWidth = 320, kHeight = 204, kCellW = 80, kCellH = 34;

std::string outputPath(const char* name)
{
    return (std::filesystem::temp_directory_path() / name).string();
}

std::shared_ptr<UIView> gridView()
{
    auto grid = UIView::initWithFrame(CGRectMake(0, 0, kWidth, kHeight));
    grid->setBackgroundColor(UIColor::blackColor());
    for (int h = 0; h < 24; ++h) {
        auto cell = CustomButton::initWithFrame(CGRectMake(kCellW * (h % 4), kCellH * (h / 4), kCellW, kCellH));
        cell->setTitle(NSString::stringWithFormat("%02d:00", h), UIControlStateNormal);
        cell->setTitleColor(UIColor::blackColor(), UIControlStateNormal);
        cell->setTitleLabelFont(UIFont::systemFontOfSize(13));
        cell->setButtonState(static_cast<unsigned>(h * 7) & 15u);
        grid->addSubview(cell);
    }
    return grid;
}

void BM_GridSnapshotToPNG(benchmark::State& state)
{
    auto grid = gridView();
    const NSString path = outputPath("bench-pc-grid.png");
    for (auto _ : state) benchmark::DoNotOptimize(NXSnapshotToPNG(grid.get(), path, 1));
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_GridSnapshotToPNG)->Unit(benchmark::kMillisecond);

// The reference: the six quarter pictures decoded once, then each frame
// painted scaled into its 96 rectangles with the 24 titles, and written by
// cairo's PNG writer.
void BM_CairoGridToPNG(benchmark::State& state)
{
    const std::string folder = NSBundle::mainBundle()->resourcePath().str();
    cairo_surface_t* pictures[2][3];
    const char* parts[] = {"left", "midle", "right"};
    for (int f = 0; f < 2; ++f)
        for (int p = 0; p < 3; ++p)
            pictures[f][p] = cairo_image_surface_create_from_png(
                (folder + "/TimeHour_" + parts[p] + (f ? "_down" : "") + ".png").c_str());
    FT_Library freetype;
    FT_Init_FreeType(&freetype);
    FT_Face face;
    FT_New_Face(freetype, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0, &face);
    cairo_font_face_t* font = cairo_ft_font_face_create_for_ft_face(face, 0);
    const std::string path = outputPath("bench-pc-grid-cairo.png");
    for (auto _ : state) {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_paint(cr);
        cairo_set_font_face(cr, font);
        cairo_set_font_size(cr, 13);
        for (int h = 0; h < 24; ++h) {
            const unsigned stat = static_cast<unsigned>(h * 7) & 15u;
            for (int q = 0; q < 4; ++q) {
                cairo_surface_t* picture = pictures[(stat >> q) & 1u][q == 0 ? 0 : (q == 3 ? 2 : 1)];
                const double x = kCellW * (h % 4) + kCellW / 4.0 * q, y = kCellH * (h / 4);
                cairo_save(cr);
                cairo_rectangle(cr, x, y, kCellW / 4.0, kCellH);
                cairo_clip(cr);
                cairo_translate(cr, x, y);
                cairo_scale(cr, kCellW / 4.0 / cairo_image_surface_get_width(picture),
                            static_cast<double>(kCellH) / cairo_image_surface_get_height(picture));
                cairo_set_source_surface(cr, picture, 0, 0);
                cairo_paint(cr);
                cairo_restore(cr);
            }
            char title[16];
            std::snprintf(title, sizeof title, "%02d:00", h);
            cairo_set_source_rgb(cr, 0, 0, 0);
            cairo_move_to(cr, kCellW * (h % 4) + 22, kCellH * (h / 4) + 22);
            cairo_show_text(cr, title);
        }
        cairo_destroy(cr);
        benchmark::DoNotOptimize(cairo_surface_write_to_png(surface, path.c_str()));
        cairo_surface_destroy(surface);
    }
    for (auto& row : pictures)
        for (auto* picture : row) cairo_surface_destroy(picture);
    cairo_font_face_destroy(font);
    FT_Done_Face(face);
    FT_Done_FreeType(freetype);
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_CairoGridToPNG)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
