// Pictures of the app shell: splash, tab bar and its icons, buttons and bars,
// the device rows, the login's check box and the seven help pages.
#include <cstdio>

#include "platform/uikit/UIStringDrawing.h"
#include "tools/artgen/Art.h"

namespace {

void fill(CGContextRef c, CGRect r, double red, double green, double blue, double alpha = 1)
{
    CGContextSetRGBFillColor(c, red, green, blue, alpha);
    CGContextFillRect(c, r);
}

// A vertical gradient between two grey-blue tones.
void gradient(CGContextRef c, CGSize s, const CGFloat (&components)[8])
{
    const CGFloat locations[2] = {0, 1};
    auto g = CGGradientCreateWithColorComponents(CGColorSpaceCreateDeviceRGB(), components, locations, 2);
    CGContextDrawLinearGradient(c, g, CGPointMake(0, 0), CGPointMake(0, s.height), 0);
}

void centredText(CGContextRef c, const char* text, CGRect r, CGFloat size, bool bold = true)
{
    drawInRect(NSString(text), r, bold ? UIFont::boldSystemFontOfSize(size) : UIFont::systemFontOfSize(size),
               UILineBreakModeWordWrap, UITextAlignmentCenter);
}

void white(CGContextRef c) { CGContextSetRGBFillColor(c, 1, 1, 1, 1); }
void whiteLine(CGContextRef c, CGFloat width)
{
    CGContextSetRGBStrokeColor(c, 1, 1, 1, 1);
    CGContextSetLineWidth(c, width);
}

}  // namespace

// ---- Splash -------------------------------------------------------------------

NX_ART("Default", 320, 460, [](CGContextRef c, CGSize s) {
    const CGFloat sky[8] = {0.86, 0.93, 1.0, 1, 0.55, 0.78, 0.95, 1};
    gradient(c, s, sky);
    // A bright cloud behind the name and the prompt, on which their black
    // and green read clearly.
    white(c);
    CGContextFillEllipseInRect(c, CGRectMake(24, 104, 272, 112));
    CGContextFillEllipseInRect(c, CGRectMake(70, 86, 120, 70));
    CGContextFillEllipseInRect(c, CGRectMake(150, 92, 110, 60));
    // Soft hills under the text.
    CGContextSetRGBFillColor(c, 0.62, 0.84, 0.52, 1);
    CGContextFillEllipseInRect(c, CGRectMake(-80, 360, 300, 200));
    CGContextSetRGBFillColor(c, 0.50, 0.76, 0.42, 1);
    CGContextFillEllipseInRect(c, CGRectMake(120, 380, 320, 200));
}, true);

NX_ART("logo_vesk", 60, 60, [](CGContextRef c, CGSize s) {
    NXContextAddRoundedRect(c, CGRectMake(2, 2, 56, 56), 12, 12);
    CGContextSetRGBFillColor(c, 0.13, 0.45, 0.80, 1);
    CGContextFillPath(c);
    // A parent's and a child's head over a shield line.
    white(c);
    CGContextFillEllipseInRect(c, CGRectMake(14, 12, 16, 16));
    CGContextFillEllipseInRect(c, CGRectMake(33, 20, 12, 12));
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, 10, 48);
    CGContextAddQuadCurveToPoint(c, 22, 26, 34, 48);
    CGContextAddQuadCurveToPoint(c, 40, 32, 50, 48);
    CGContextClosePath(c);
    CGContextFillPath(c);
});

NX_ART("incoming3", 49, 20, [](CGContextRef c, CGSize s) {
    NXContextAddRoundedRect(c, CGRectMake(1, 1, 47, 18), 9, 9);
    CGContextSetRGBFillColor(c, 0.85, 0.15, 0.12, 1);
    CGContextFillPath(c);
});

NX_ART("bralon", 107, 47, [](CGContextRef c, CGSize s) {
    NXContextAddRoundedRect(c, CGRectMake(1, 1, 105, 45), 8, 8);
    CGContextSetRGBFillColor(c, 0.05, 0.35, 0.65, 1);
    CGContextFillPath(c);
    white(c);
    centredText(c, "Bralon", CGRectMake(0, 4, 107, 24), 18);
    centredText(c, "mobile", CGRectMake(0, 26, 107, 16), 11, false);
});

// ---- Tab bar ----------------------------------------------------------------

NX_ART("tubiaoditu", 320, 49, [](CGContextRef c, CGSize s) {
    const CGFloat bar[8] = {0.25, 0.25, 0.27, 1, 0.05, 0.05, 0.06, 1};
    gradient(c, s, bar);
    fill(c, CGRectMake(0, 0, 320, 1), 0.45, 0.45, 0.48);
}, true);

NX_ART("fengexian", 1, 49, [](CGContextRef c, CGSize s) { fill(c, CGRectMake(0, 4, 1, 41), 0.45, 0.45, 0.48); });

NX_ART("slide_g", 64, 49, [](CGContextRef c, CGSize s) {
    NXContextAddRoundedRect(c, CGRectMake(3, 2, 58, 45), 6, 6);
    CGContextSetRGBFillColor(c, 1, 1, 1, 0.22);
    CGContextFillPath(c);
});

NX_ART("home_vesk", 30, 30, [](CGContextRef c, CGSize s) {
    white(c);
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, 15, 3);
    CGContextAddLineToPoint(c, 28, 15);
    CGContextAddLineToPoint(c, 2, 15);
    CGContextClosePath(c);
    CGContextFillPath(c);
    CGContextFillRect(c, CGRectMake(6, 15, 18, 12));
    CGContextSetRGBFillColor(c, 0, 0, 0, 0.6);
    CGContextFillRect(c, CGRectMake(12, 19, 6, 8));
});

NX_ART("sjsz_g_vesk", 30, 30, [](CGContextRef c, CGSize s) {
    whiteLine(c, 2.5);
    CGContextStrokeEllipseInRect(c, CGRectMake(3, 3, 24, 24));
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, 15, 8);
    CGContextAddLineToPoint(c, 15, 15);
    CGContextAddLineToPoint(c, 21, 18);
    CGContextStrokePath(c);
});

NX_ART("record_g_vesk", 30, 30, [](CGContextRef c, CGSize s) {
    whiteLine(c, 2);
    CGContextStrokeRect(c, CGRectMake(6, 3, 18, 24));
    for (int i = 0; i < 4; ++i) {
        CGContextBeginPath(c);
        CGContextMoveToPoint(c, 10, 9 + i * 5);
        CGContextAddLineToPoint(c, 20, 9 + i * 5);
        CGContextStrokePath(c);
    }
});

NX_ART("axkh_g_vesk", 30, 30, [](CGContextRef c, CGSize s) {
    // A map pin.
    white(c);
    CGContextFillEllipseInRect(c, CGRectMake(7, 2, 16, 16));
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, 8.5, 13);
    CGContextAddLineToPoint(c, 15, 28);
    CGContextAddLineToPoint(c, 21.5, 13);
    CGContextClosePath(c);
    CGContextFillPath(c);
    CGContextSetRGBFillColor(c, 0, 0, 0, 0.6);
    CGContextFillEllipseInRect(c, CGRectMake(12, 7, 6, 6));
});

NX_ART("more_g_vesk", 30, 30, [](CGContextRef c, CGSize s) {
    white(c);
    for (int i = 0; i < 3; ++i) CGContextFillEllipseInRect(c, CGRectMake(3 + i * 9, 12, 6, 6));
});

// ---- Bars, buttons, rows ----------------------------------------------------------

NX_ART("dingtu1_vesk", 320, 44, [](CGContextRef c, CGSize s) {
    const CGFloat bar[8] = {0.20, 0.45, 0.72, 1, 0.08, 0.25, 0.48, 1};
    gradient(c, s, bar);
    fill(c, CGRectMake(0, 43, 320, 1), 0.03, 0.12, 0.25);
}, true);

NX_ART("button_vesk", 62, 30, [](CGContextRef c, CGSize s) {
    NXContextAddRoundedRect(c, CGRectMake(0.5, 0.5, 61, 29), 6, 6);
    CGContextSetRGBFillColor(c, 0.16, 0.50, 0.85, 1);
    CGContextFillPath(c);
    NXContextAddRoundedRect(c, CGRectMake(2, 2, 58, 12), 5, 5);
    CGContextSetRGBFillColor(c, 1, 1, 1, 0.18);
    CGContextFillPath(c);
    NXContextAddRoundedRect(c, CGRectMake(0.5, 0.5, 61, 29), 6, 6);
    CGContextSetRGBStrokeColor(c, 0.05, 0.25, 0.5, 1);
    CGContextSetLineWidth(c, 1);
    CGContextStrokePath(c);
});

NX_ART("addequip_vesk", 220, 41, [](CGContextRef c, CGSize s) {
    NXContextAddRoundedRect(c, CGRectMake(1, 1, 218, 39), 8, 8);
    CGContextSetRGBFillColor(c, 0.10, 0.20, 0.34, 1);
    CGContextFillPath(c);
    NXContextAddRoundedRect(c, CGRectMake(1, 1, 218, 39), 8, 8);
    CGContextSetRGBStrokeColor(c, 0.35, 0.55, 0.80, 1);
    CGContextSetLineWidth(c, 1);
    CGContextStrokePath(c);
});

NX_ART("checkbox_off", 24, 24, [](CGContextRef c, CGSize s) {
    NXContextAddRoundedRect(c, CGRectMake(2, 2, 20, 20), 4, 4);
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    CGContextFillPath(c);
});

NX_ART("checkbox_on", 24, 24, [](CGContextRef c, CGSize s) {
    NXContextAddRoundedRect(c, CGRectMake(2, 2, 20, 20), 4, 4);
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    CGContextFillPath(c);
    CGContextSetRGBStrokeColor(c, 0.1, 0.55, 0.15, 1);
    CGContextSetLineWidth(c, 3);
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, 6, 12);
    CGContextAddLineToPoint(c, 10, 17);
    CGContextAddLineToPoint(c, 18, 6);
    CGContextStrokePath(c);
});

// ---- Help pages ("help1" ... "help7", the prefix being the strings table's) -------

namespace {

struct HelpPage {
    const char* name;
    const char* title;
    const char* text;
    CGFloat red, green, blue;
};

void drawHelpPage(CGContextRef c, CGSize s, const HelpPage& page, int number)
{
    const CGFloat tone[8] = {page.red, page.green, page.blue, 1, page.red * 0.45, page.green * 0.45, page.blue * 0.45, 1};
    gradient(c, s, tone);
    NXContextAddRoundedRect(c, CGRectMake(30, 70, 260, 240), 18, 18);
    CGContextSetRGBFillColor(c, 1, 1, 1, 0.16);
    CGContextFillPath(c);
    white(c);
    char heading[32];
    std::snprintf(heading, sizeof heading, "%d / 7", number);
    centredText(c, heading, CGRectMake(0, 24, 320, 30), 18, false);
    centredText(c, page.title, CGRectMake(40, 110, 240, 60), 26);
    centredText(c, page.text, CGRectMake(44, 190, 232, 110), 16, false);
}

}  // namespace

#define NX_HELP_PAGE(n, title, text, r, g, b) \
    NX_ART("help" #n, 320, 460, [](CGContextRef c, CGSize s) { drawHelpPage(c, s, {"help" #n, title, text, r, g, b}, n); }, true)

NX_HELP_PAGE(1, "Welcome", "Watch over your child's PC and phone from here.", 0.20, 0.45, 0.80);
NX_HELP_PAGE(2, "Log in", "Use the number and password of your service account.", 0.15, 0.55, 0.55);
NX_HELP_PAGE(3, "Choose a device", "Pick the PC or phone you want to look after.", 0.30, 0.55, 0.25);
NX_HELP_PAGE(4, "Home page", "See the device's state and today's use at a glance.", 0.60, 0.45, 0.15);
NX_HELP_PAGE(5, "Time rules", "Set when the device may be used, day by day.", 0.60, 0.25, 0.25);
NX_HELP_PAGE(6, "Records", "Browse visited sites, used programs and captures.", 0.45, 0.25, 0.60);
NX_HELP_PAGE(7, "Location", "Find the device on the map. Pull on to finish.", 0.25, 0.30, 0.60);
