// The icons of the map engine's default overlay styles: numbered POI markers,
// the pin, start and end badges, stations, the place mark and the small dot
// of the POI background layer. The engine reads them from the resource
// folder as "<name>.png" or "<name>@2x.png" (its icon table, DataDisp.h).
#include <string>

#include "platform/uikit/UIStringDrawing.h"
#include "tools/artgen/Art.h"

namespace {

// A marker whose tip is the picture's bottom centre: a round head over a
// point, with a white outline.
void teardrop(CGContextRef c, CGSize s, double red, double green, double blue)
{
    const CGFloat r = s.width / 2 - 1.5;
    const CGFloat cx = s.width / 2;
    const CGFloat cy = r + 1.5;
    CGContextBeginPath(c);
    CGContextAddArc(c, cx, cy, r, 2.45, 0.69, 0);
    CGContextAddLineToPoint(c, cx, s.height - 1);
    CGContextClosePath(c);
    CGContextSetRGBFillColor(c, red, green, blue, 1);
    CGContextSetRGBStrokeColor(c, 1, 1, 1, 1);
    CGContextSetLineWidth(c, 1.5);
    CGContextDrawPath(c, kCGPathFillStroke);
}

// A filled disc with a white ring.
void badge(CGContextRef c, CGSize s, double red, double green, double blue)
{
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    CGContextFillEllipseInRect(c, CGRectMake(0.5, 0.5, s.width - 1, s.height - 1));
    CGContextSetRGBFillColor(c, red, green, blue, 1);
    CGContextFillEllipseInRect(c, CGRectMake(2, 2, s.width - 4, s.height - 4));
}

void label(CGContextRef c, const char* text, CGRect r, CGFloat size)
{
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    drawInRect(NSString(text), r, UIFont::boldSystemFontOfSize(size), UILineBreakModeClip, UITextAlignmentCenter);
}

void numbered(CGContextRef c, CGSize s, int n)
{
    teardrop(c, s, 0.86, 0.20, 0.17);
    const std::string text = std::to_string(n);
    label(c, text.c_str(), CGRectMake(0, 4, s.width, 14), n < 10 ? 12 : 10);
}

}  // namespace

#define ENGINE_MARKER(n) \
    NX_ART("engine_marker_" #n, 24, 32, [](CGContextRef c, CGSize s) { numbered(c, s, n); })
ENGINE_MARKER(1);
ENGINE_MARKER(2);
ENGINE_MARKER(3);
ENGINE_MARKER(4);
ENGINE_MARKER(5);
ENGINE_MARKER(6);
ENGINE_MARKER(7);
ENGINE_MARKER(8);
ENGINE_MARKER(9);
ENGINE_MARKER(10);

NX_ART("engine_pin", 24, 34, [](CGContextRef c, CGSize s) {
    teardrop(c, s, 0.13, 0.45, 0.85);
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    CGContextFillEllipseInRect(c, CGRectMake(s.width / 2 - 4, 8, 8, 8));
});

NX_ART("engine_route_start", 28, 28, [](CGContextRef c, CGSize s) {
    badge(c, s, 0.18, 0.62, 0.27);
    label(c, "起", CGRectMake(0, 6, s.width, 16), 13);
});

NX_ART("engine_route_end", 28, 28, [](CGContextRef c, CGSize s) {
    badge(c, s, 0.85, 0.22, 0.18);
    label(c, "终", CGRectMake(0, 6, s.width, 16), 13);
});

NX_ART("engine_poi_small", 16, 16, [](CGContextRef c, CGSize s) { badge(c, s, 0.96, 0.55, 0.10); });

NX_ART("engine_bus_station", 16, 16, [](CGContextRef c, CGSize s) {
    badge(c, s, 0.18, 0.49, 0.20);
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    CGContextFillRect(c, CGRectMake(5, 5, 6, 5));
});

NX_ART("engine_subway_station", 16, 16, [](CGContextRef c, CGSize s) {
    badge(c, s, 0.90, 0.22, 0.21);
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    CGContextFillRect(c, CGRectMake(5, 7, 6, 2));
});

NX_ART("engine_place", 24, 24, [](CGContextRef c, CGSize s) {
    badge(c, s, 0.86, 0.20, 0.17);
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    CGContextFillEllipseInRect(c, CGRectMake(8, 8, 8, 8));
});

NX_ART("engine_bkg_poi", 12, 12, [](CGContextRef c, CGSize s) { badge(c, s, 0.40, 0.35, 0.80); });
