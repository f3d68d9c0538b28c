// One frame of the month calendar (320 x 270: title bar, grid, 31 days,
// today, a chosen day and flags) rendered to an image, against the physical
// floor of the same area: cairo filling a surface of that size once. A frame
// should stay well under 16 ms.

#include <benchmark/benchmark.h>
#include <cairo.h>

#include "platform/uikit/NXSnapshot.h"
#include "ui/MonthCalendarView.h"

namespace {

constexpr int kWidth = 320, kHeight = 270;

void BM_CalendarFrame(benchmark::State& state)
{
    auto calendar = MonthCalendarView::initWithFrame(CGRectMake(0, 0, kWidth, kHeight));
    calendar->setCurrentMonthDate(CFGregorianDate{2012, 1, 1, 0, 0, 0});
    calendar->setCurrentSelectDate(CFGregorianDate{2012, 1, 17, 0, 0, 1});
    for (int day : {3, 9, 17, 28}) calendar->setDayFlag(day, day % 2 ? 1 : -1);
    for (auto _ : state) benchmark::DoNotOptimize(NXSnapshotImage(calendar.get()));
}
BENCHMARK(BM_CalendarFrame)->Unit(benchmark::kMillisecond);

void BM_CairoFillSameArea(benchmark::State& state)
{
    for (auto _ : state) {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        cairo_destroy(cr);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
        cairo_surface_destroy(surface);
    }
}
BENCHMARK(BM_CairoFillSameArea)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
