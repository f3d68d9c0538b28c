// Pictures of the map SDK's resource bundle: the pins in three colours, the
// halves of the callout bubbles and the action bubble's ends (plain and
// pressed), the logo and the location dot. They live under "vizmap.bundle/images/".
#include <cmath>

#include "platform/uikit/UIStringDrawing.h"
#include "tools/artgen/Art.h"

namespace {

#define VIZ_IMAGE(name) "vizmap.bundle/images/" name

struct Rgb {
    double r, g, b;
};

// A pin: a shaded round head with a light spot, on a thin needle whose tip
// is the bottom centre of the picture (the map point).
void drawPin(CGContextRef c, CGSize s, Rgb colour)
{
    const CGFloat cx = s.width / 2;
    const CGFloat radius = s.width / 2 - 2;
    const CGFloat cy = radius + 1;
    CGContextSetRGBStrokeColor(c, 0.35, 0.35, 0.35, 1);
    CGContextSetLineWidth(c, 2);
    CGContextMoveToPoint(c, cx, cy + radius - 1);
    CGContextAddLineToPoint(c, cx, s.height);
    CGContextStrokePath(c);

    CGContextSetRGBFillColor(c, colour.r * 0.6, colour.g * 0.6, colour.b * 0.6, 1);
    CGContextFillEllipseInRect(c, CGRectMake(cx - radius, cy - radius, 2 * radius, 2 * radius));
    CGContextSetRGBFillColor(c, colour.r, colour.g, colour.b, 1);
    const CGFloat inner = radius - 1.5;
    CGContextFillEllipseInRect(c, CGRectMake(cx - inner, cy - inner, 2 * inner, 2 * inner));
    CGContextSetRGBFillColor(c, 1, 1, 1, 0.7);
    CGContextFillEllipseInRect(c, CGRectMake(cx - radius * 0.55, cy - radius * 0.6, radius * 0.5, radius * 0.45));
}

// The callout's body is 41 points high with a 7-point pointer below it, at
// the join of the two halves.
constexpr CGFloat kBodyHeight = 41;
constexpr CGFloat kHalfWidth = 20;
constexpr CGFloat kPointer = 7;
constexpr CGFloat kCorner = 8;

// The plain bubble is white; the action bubble, whose ends act, a light
// grey-blue. Pressed, both turn blue.
void bodyColours(CGContextRef c, bool pressed, bool action = false)
{
    if (pressed) {
        CGContextSetRGBFillColor(c, 0.78, 0.87, 0.98, 1);
    } else if (action) {
        CGContextSetRGBFillColor(c, 0.93, 0.95, 0.98, 1);
    } else {
        CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    }
    CGContextSetRGBStrokeColor(c, 0.55, 0.55, 0.55, 1);
    CGContextSetLineWidth(c, 1);
}

// One half of the bubble: the rounded outer end, a straight middle that
// stretches, and half of the pointer at the inner edge. `left` draws the
// left half; the right half is its mirror image.
void drawCalloutHalf(CGContextRef c, CGSize s, bool left, bool pressed, bool action = false)
{
    if (!left) {
        CGContextTranslateCTM(c, s.width, 0);
        CGContextScaleCTM(c, -1, 1);
    }
    const CGFloat top = 0.5;
    const CGFloat bottom = kBodyHeight - 0.5;
    const CGFloat outer = 0.5;
    const CGFloat inner = s.width;
    const CGFloat pointerStart = inner - kPointer;
    bodyColours(c, pressed, action);
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, inner, top);
    CGContextAddLineToPoint(c, outer + kCorner, top);
    CGContextAddArcToPoint(c, outer, top, outer, top + kCorner, kCorner);
    CGContextAddLineToPoint(c, outer, bottom - kCorner);
    CGContextAddArcToPoint(c, outer, bottom, outer + kCorner, bottom, kCorner);
    CGContextAddLineToPoint(c, pointerStart, bottom);
    CGContextAddLineToPoint(c, inner, bottom + kPointer - 0.5);
    CGContextDrawPath(c, kCGPathFillStroke);
}

// An end of the action bubble: a rounded cap the body's height with its
// sign, a magnifier for "nearby" on the left, an arrow for "route" on the
// right.
void drawActionEnd(CGContextRef c, CGSize s, bool left, bool pressed)
{
    if (!left) {
        CGContextTranslateCTM(c, s.width, 0);
        CGContextScaleCTM(c, -1, 1);
    }
    bodyColours(c, pressed, true);
    NXContextAddRoundedRect(c, CGRectMake(0.5, 0.5, s.width - 1, kBodyHeight - 1), kCorner, kCorner);
    CGContextDrawPath(c, kCGPathFillStroke);
    CGContextSetRGBStrokeColor(c, 0.20, 0.40, 0.75, 1);
    CGContextSetLineWidth(c, 2.5);
    const CGFloat cx = s.width / 2, cy = kBodyHeight / 2;
    if (left) {
        CGContextStrokeEllipseInRect(c, CGRectMake(cx - 7, cy - 7, 11, 11));
        CGContextMoveToPoint(c, cx + 2.5, cy + 2.5);
        CGContextAddLineToPoint(c, cx + 8, cy + 8);
    } else {  // drawn mirrored: the arrow points right once flipped
        CGContextMoveToPoint(c, cx + 7, cy);
        CGContextAddLineToPoint(c, cx - 7, cy);
        CGContextMoveToPoint(c, cx - 1, cy - 6);
        CGContextAddLineToPoint(c, cx - 7, cy);
        CGContextAddLineToPoint(c, cx - 1, cy + 6);
    }
    CGContextStrokePath(c);
}

}  // namespace

NX_ART(VIZ_IMAGE("pin_red"), 22, 36, [](CGContextRef c, CGSize s) { drawPin(c, s, {0.86, 0.12, 0.10}); });
NX_ART(VIZ_IMAGE("pin_green"), 22, 36, [](CGContextRef c, CGSize s) { drawPin(c, s, {0.15, 0.70, 0.20}); });
NX_ART(VIZ_IMAGE("pin_purple"), 22, 36, [](CGContextRef c, CGSize s) { drawPin(c, s, {0.55, 0.25, 0.75}); });

NX_ART(VIZ_IMAGE("icon_paopao_middle_left"), kHalfWidth, kBodyHeight + kPointer,
       [](CGContextRef c, CGSize s) { drawCalloutHalf(c, s, true, false); });
NX_ART(VIZ_IMAGE("icon_paopao_middle_left_highlighted"), kHalfWidth, kBodyHeight + kPointer,
       [](CGContextRef c, CGSize s) { drawCalloutHalf(c, s, true, true); });
NX_ART(VIZ_IMAGE("icon_paopao_middle_right"), kHalfWidth, kBodyHeight + kPointer,
       [](CGContextRef c, CGSize s) { drawCalloutHalf(c, s, false, false); });
NX_ART(VIZ_IMAGE("icon_paopao_middle_right_highlighted"), kHalfWidth, kBodyHeight + kPointer,
       [](CGContextRef c, CGSize s) { drawCalloutHalf(c, s, false, true); });

NX_ART(VIZ_IMAGE("icon_action_paopao_middle_left"), kHalfWidth, kBodyHeight + kPointer,
       [](CGContextRef c, CGSize s) { drawCalloutHalf(c, s, true, false, true); });
NX_ART(VIZ_IMAGE("icon_action_paopao_middle_left_highlighted"), kHalfWidth, kBodyHeight + kPointer,
       [](CGContextRef c, CGSize s) { drawCalloutHalf(c, s, true, true, true); });
NX_ART(VIZ_IMAGE("icon_action_paopao_middle_right"), kHalfWidth, kBodyHeight + kPointer,
       [](CGContextRef c, CGSize s) { drawCalloutHalf(c, s, false, false, true); });
NX_ART(VIZ_IMAGE("icon_action_paopao_middle_right_highlighted"), kHalfWidth, kBodyHeight + kPointer,
       [](CGContextRef c, CGSize s) { drawCalloutHalf(c, s, false, true, true); });
NX_ART(VIZ_IMAGE("icon_action_paopao_left_nearby"), 32, kBodyHeight,
       [](CGContextRef c, CGSize s) { drawActionEnd(c, s, true, false); });
NX_ART(VIZ_IMAGE("icon_action_paopao_left_nearby_highlighted"), 32, kBodyHeight,
       [](CGContextRef c, CGSize s) { drawActionEnd(c, s, true, true); });
NX_ART(VIZ_IMAGE("icon_action_paopao_right_route"), 32, kBodyHeight,
       [](CGContextRef c, CGSize s) { drawActionEnd(c, s, false, false); });
NX_ART(VIZ_IMAGE("icon_action_paopao_right_route_highlighted"), 32, kBodyHeight,
       [](CGContextRef c, CGSize s) { drawActionEnd(c, s, false, true); });

// The SDK's mark in the map's lower left corner.
NX_ART(VIZ_IMAGE("razizudu_logo"), 64, 18, [](CGContextRef c, CGSize s) {
    CGContextSetRGBFillColor(c, 1, 1, 1, 0.75);
    NXContextAddRoundedRect(c, CGRectMake(0, 0, s.width, s.height), 4, 4);
    CGContextFillPath(c);
    CGContextSetRGBFillColor(c, 0.15, 0.35, 0.70, 1);
    drawInRect(NSString("VIZMAP"), CGRectMake(0, 2, s.width, s.height - 2), UIFont::boldSystemFontOfSize(12),
               UILineBreakModeClip, UITextAlignmentCenter);
});

// The user's position: a blue dot in a white ring with a soft shadow.
NX_ART(VIZ_IMAGE("icon_center_point"), 20, 20, [](CGContextRef c, CGSize s) {
    CGContextSetRGBFillColor(c, 0, 0, 0, 0.2);
    CGContextFillEllipseInRect(c, CGRectMake(1, 2, s.width - 2, s.height - 2));
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    CGContextFillEllipseInRect(c, CGRectMake(1, 1, s.width - 2, s.height - 2));
    CGContextSetRGBFillColor(c, 0.12, 0.45, 0.95, 1);
    CGContextFillEllipseInRect(c, CGRectMake(4, 4, s.width - 8, s.height - 8));
});
