// Pictures of the PC statistics screens: the records home's two tab halves
// (plain and chosen), the bar tiles of the percentage rows and the track
// behind them. The bar and track tiles keep the ".jpg" names the screens ask
// for.
#include <algorithm>

#include "tools/artgen/Art.h"
#include "tools/artgen/Gradient.h"

namespace {

using artgen::RGB;
using artgen::verticalGradient;

// One half of the tab pair: rounded on its outer side only.
void tabHalf(CGContextRef c, CGSize s, bool left, bool chosen)
{
    const CGRect r = CGRectMake(0.5, 0.5, s.width - 1, s.height - 1);
    CGContextSaveGState(c);
    CGContextBeginPath(c);
    // Rounded all round, then the inner side squared off by widening past it.
    const CGRect wide = left ? CGRectMake(r.origin.x, r.origin.y, r.size.width + 10, r.size.height)
                             : CGRectMake(r.origin.x - 10, r.origin.y, r.size.width + 10, r.size.height);
    NXContextAddRoundedRect(c, wide, 8, 8);
    CGContextClip(c);
    if (chosen)
        verticalGradient(c, r, {0.36, 0.62, 0.92}, {0.12, 0.36, 0.70});
    else
        verticalGradient(c, r, {0.32, 0.34, 0.38}, {0.16, 0.17, 0.20});
    CGContextRestoreGState(c);
    CGContextSetRGBStrokeColor(c, 0.05, 0.06, 0.08, 1);
    CGContextSetLineWidth(c, 1);
    CGContextStrokeRect(c, r);
}

// A bar tile: a glossy band of the colour, lighter at the top.
void barTile(CGContextRef c, CGSize s, RGB colour)
{
    const RGB light{std::min<CGFloat>(1, colour.r + 0.25), std::min<CGFloat>(1, colour.g + 0.25),
                    std::min<CGFloat>(1, colour.b + 0.25)};
    verticalGradient(c, CGRectMake(0, 0, s.width, s.height), light, colour);
}

}  // namespace

NX_ART("left_tab23", 147, 34, [](CGContextRef c, CGSize s) { tabHalf(c, s, true, false); });
NX_ART("left_tab_selected23", 147, 34, [](CGContextRef c, CGSize s) { tabHalf(c, s, true, true); });
NX_ART("right_tab23", 147, 34, [](CGContextRef c, CGSize s) { tabHalf(c, s, false, false); });
NX_ART("right_tab_selected23", 147, 34, [](CGContextRef c, CGSize s) { tabHalf(c, s, false, true); });

NX_ART("redBar.jpg", 4, 14, [](CGContextRef c, CGSize s) { barTile(c, s, {0.78, 0.12, 0.12}); });
NX_ART("yellow.jpg", 4, 14, [](CGContextRef c, CGSize s) { barTile(c, s, {0.86, 0.70, 0.06}); });
NX_ART("salmon.jpg", 4, 14, [](CGContextRef c, CGSize s) { barTile(c, s, {0.90, 0.44, 0.38}); });
NX_ART("rosered.jpg", 4, 14, [](CGContextRef c, CGSize s) { barTile(c, s, {0.80, 0.18, 0.44}); });
NX_ART("green.jpg", 4, 14, [](CGContextRef c, CGSize s) { barTile(c, s, {0.20, 0.62, 0.24}); });
NX_ART("processBack_vesk.jpg", 4, 14, [](CGContextRef c, CGSize s) {
    verticalGradient(c, CGRectMake(0, 0, s.width, s.height), {0.14, 0.15, 0.18}, {0.28, 0.30, 0.34});
});
