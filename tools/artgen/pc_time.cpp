// Pictures of the PC time-rule screens: the quarter-hour cells of the weekly
// grid, the protect-mode check boxes, the countdown's backdrop and digit
// tiles, the period list's rounded rows and tick, and the picker's buttons.
#include "tools/artgen/Art.h"
#include "tools/artgen/Gradient.h"

namespace {

using artgen::RGB;
using artgen::verticalGradient;

const RGB kAllowed{0.30, 0.72, 0.36};
const RGB kAllowedDark{0.18, 0.52, 0.24};
const RGB kForbidden{0.80, 0.22, 0.20};
const RGB kForbiddenDark{0.58, 0.12, 0.11};

void roundedFill(CGContextRef c, CGRect r, CGFloat topRadius, CGFloat bottomRadius, RGB top, RGB bottom)
{
    CGContextSaveGState(c);
    CGContextBeginPath(c);
    NXContextAddRoundedRect(c, r, topRadius, bottomRadius);
    CGContextClip(c);
    verticalGradient(c, r, top, bottom);
    CGContextRestoreGState(c);
}

// One quarter of an hour cell: the cell's outer corners round at the ends,
// a thin divider on the inner sides.
void quarter(CGContextRef c, CGSize s, int position, RGB top, RGB bottom)
{
    verticalGradient(c, CGRectMake(0, 0, s.width, s.height), top, bottom);
    CGContextSetRGBFillColor(c, 1, 1, 1, 0.35);
    CGContextFillRect(c, CGRectMake(0, 0, s.width, 1));
    CGContextSetRGBFillColor(c, 0, 0, 0, 0.45);
    if (position != 0) CGContextFillRect(c, CGRectMake(0, 0, 0.5, s.height));
    CGContextFillRect(c, CGRectMake(0, s.height - 1, s.width, 1));
    if (position == 0) CGContextFillRect(c, CGRectMake(0, 0, 1, s.height));
    if (position == 2) CGContextFillRect(c, CGRectMake(s.width - 1, 0, 1, s.height));
}

void checkBox(CGContextRef c, CGSize s, bool checked)
{
    roundedFill(c, CGRectMake(1, 1, s.width - 2, s.height - 2), 3, 3, {0.97, 0.97, 0.97}, {0.78, 0.78, 0.80});
    CGContextSetRGBStrokeColor(c, 0.35, 0.35, 0.38, 1);
    CGContextSetLineWidth(c, 1);
    CGContextBeginPath(c);
    NXContextAddRoundedRect(c, CGRectMake(1.5, 1.5, s.width - 3, s.height - 3), 3, 3);
    CGContextStrokePath(c);
    if (!checked) return;
    CGContextSetRGBStrokeColor(c, 0.10, 0.55, 0.15, 1);
    CGContextSetLineWidth(c, 2.5);
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, 4.5, s.height * 0.55);
    CGContextAddLineToPoint(c, s.width * 0.42, s.height - 5);
    CGContextAddLineToPoint(c, s.width - 4, 4.5);
    CGContextStrokePath(c);
}

void listRow(CGContextRef c, CGSize s, CGFloat topRadius, CGFloat bottomRadius)
{
    const CGRect r = CGRectMake(0.5, 0.5, s.width - 1, s.height - 1);
    roundedFill(c, r, topRadius, bottomRadius, {0.24, 0.27, 0.32}, {0.17, 0.19, 0.23});
    CGContextSetRGBStrokeColor(c, 0.45, 0.48, 0.54, 1);
    CGContextSetLineWidth(c, 1);
    CGContextBeginPath(c);
    NXContextAddRoundedRect(c, r, topRadius, bottomRadius);
    CGContextStrokePath(c);
}

}  // namespace

NX_ART("TimeHour_left", 20, 34, [](CGContextRef c, CGSize s) { quarter(c, s, 0, kAllowed, kAllowedDark); });
NX_ART("TimeHour_midle", 20, 34, [](CGContextRef c, CGSize s) { quarter(c, s, 1, kAllowed, kAllowedDark); });
NX_ART("TimeHour_right", 20, 34, [](CGContextRef c, CGSize s) { quarter(c, s, 2, kAllowed, kAllowedDark); });
NX_ART("TimeHour_left_down", 20, 34, [](CGContextRef c, CGSize s) { quarter(c, s, 0, kForbidden, kForbiddenDark); });
NX_ART("TimeHour_midle_down", 20, 34, [](CGContextRef c, CGSize s) { quarter(c, s, 1, kForbidden, kForbiddenDark); });
NX_ART("TimeHour_right_down", 20, 34, [](CGContextRef c, CGSize s) { quarter(c, s, 2, kForbidden, kForbiddenDark); });

NX_ART("auto_login", 20, 21, [](CGContextRef c, CGSize s) { checkBox(c, s, false); });
NX_ART("auto_login_yes", 20, 21, [](CGContextRef c, CGSize s) { checkBox(c, s, true); });

// The quarter chooser's popup panel: a dark diagonal weave.
NX_ART("TimeHourBg", 16, 16, [](CGContextRef c, CGSize s) {
    CGContextSetRGBFillColor(c, 0.13, 0.15, 0.19, 1);
    CGContextFillRect(c, CGRectMake(0, 0, s.width, s.height));
    CGContextSetRGBStrokeColor(c, 0.20, 0.23, 0.28, 1);
    CGContextSetLineWidth(c, 2);
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, 0, s.height);
    CGContextAddLineToPoint(c, s.width, 0);
    CGContextStrokePath(c);
});

// The countdown: a dark band behind the digits, the digit tiles, the row.
NX_ART("time_bg", 320, 100, [](CGContextRef c, CGSize s) {
    verticalGradient(c, CGRectMake(0, 0, s.width, s.height), {0.16, 0.18, 0.22}, {0.06, 0.07, 0.09});
    CGContextSetRGBFillColor(c, 1, 1, 1, 0.12);
    CGContextFillRect(c, CGRectMake(0, 0, s.width, 1));
});
NX_ART("timeshow_vesk", 50, 70, [](CGContextRef c, CGSize s) {
    roundedFill(c, CGRectMake(1, 1, s.width - 2, s.height - 2), 6, 6, {0.30, 0.32, 0.36}, {0.10, 0.11, 0.13});
    CGContextSetRGBFillColor(c, 0, 0, 0, 0.6);
    CGContextFillRect(c, CGRectMake(1, s.height / 2 - 0.5, s.width - 2, 1));
});
NX_ART("timecommit_vesk", 320, 69, [](CGContextRef c, CGSize s) { listRow(c, s, 8, 8); });

// The period list and the weekday chooser: the chooser's first and last rows,
// and the band of every row between them, which is also the period list's
// and the retractable sections' row. All of them carry light text, so the
// band is as dark as the ends.
NX_ART("top_round", 280, 45, [](CGContextRef c, CGSize s) { listRow(c, s, 10, 0); });
NX_ART("middle_round", 300, 44, [](CGContextRef c, CGSize s) { listRow(c, s, 8, 8); });
NX_ART("bottom_round", 280, 45, [](CGContextRef c, CGSize s) { listRow(c, s, 0, 10); });
NX_ART("right", 30, 30, [](CGContextRef c, CGSize s) {
    CGContextSetRGBStrokeColor(c, 0.35, 0.85, 0.40, 1);
    CGContextSetLineWidth(c, 4);
    CGContextSetLineCap(c, kCGLineCapRound);
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, 6, s.height * 0.52);
    CGContextAddLineToPoint(c, s.width * 0.42, s.height - 7);
    CGContextAddLineToPoint(c, s.width - 5, 7);
    CGContextStrokePath(c);
});

// The period editor's selected time row.
NX_ART("srk_vesk", 310, 40, [](CGContextRef c, CGSize s) {
    roundedFill(c, CGRectMake(1, 1, s.width - 2, s.height - 2), 8, 8, {0.20, 0.36, 0.62}, {0.12, 0.24, 0.45});
});

// The countdown picker's submit button.
NX_ART("green_big_vesk", 270, 40, [](CGContextRef c, CGSize s) {
    roundedFill(c, CGRectMake(1, 1, s.width - 2, s.height - 2), 9, 9, {0.36, 0.80, 0.36}, {0.12, 0.55, 0.16});
});
