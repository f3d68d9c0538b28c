#include "platform/testing/NXScreenLint.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <typeinfo>

#include "platform/uikit/NXSnapshot.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIPickerView.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UITableViewParts.h"
#include "platform/uikit/UITextField.h"
#include "platform/uikit/detail/NXText.h"

namespace {

constexpr double kMinimumContrast = 3;
constexpr CGFloat kTolerance = 0.5;  // points a rectangle may pass an edge by
constexpr CGFloat kScale = 2;        // contrast is measured on the device's pixels

bool shown(const UIView& v) { return !v.hidden() && v.alpha() > 0.01; }

template <class T>
bool is(const UIView& v) { return dynamic_cast<const T*>(&v) != nullptr; }

// Depth first, in drawing order, leaving hidden subtrees out.
void eachShownView(UIView& view, const std::function<void(UIView&)>& visit)
{
    if (!shown(view)) return;
    visit(view);
    for (const auto& sub : view.subviews()) eachShownView(*sub, visit);
}

std::string textOf(const UIView& v)
{
    if (auto* l = dynamic_cast<const UILabel*>(&v)) return l->text().str();
    if (auto* b = dynamic_cast<const UIButton*>(&v)) return b->currentTitle().str();
    if (auto* f = dynamic_cast<const UITextField*>(&v)) return f->text().length() ? f->text().str() : f->placeholder.str();
    if (auto* s = dynamic_cast<const UISegmentedControl*>(&v)) {
        std::string titles;
        for (NSUInteger i = 0; i < s->numberOfSegments(); ++i) titles += (i ? " | " : "") + s->titleForSegmentAtIndex(i).str();
        return titles;
    }
    return {};
}

std::string describe(const UIView& v)
{
    std::string out = NSStringFromClass(v).str();
    const std::string text = textOf(v);
    if (!text.empty()) out += " \"" + text + "\"";
    if (v.tag() != 0) out += " tag " + std::to_string(v.tag());
    return out;
}

bool inScrollView(const UIView& v, const UIView* root)
{
    for (const UIView* a = v.superview(); a && a != root; a = a->superview())
        if (is<UIScrollView>(*a)) return true;
    return false;
}

// The common part of two rectangles; empty (zero size) when they do not meet.
CGRect intersection(CGRect a, CGRect b)
{
    const CGFloat x = std::max(a.origin.x, b.origin.x), y = std::max(a.origin.y, b.origin.y);
    const CGFloat w = std::min(CGRectGetMaxX(a), CGRectGetMaxX(b)) - x, h = std::min(CGRectGetMaxY(a), CGRectGetMaxY(b)) - y;
    return w > 0 && h > 0 ? CGRectMake(x, y, w, h) : CGRectZero;
}

// The part of a rectangle of the view (in its bounds) that its clipping
// ancestors and the root let show, in the root's coordinates. A scroll view
// counts only when scrolledToo is set.
CGRect visiblePart(const UIView& v, CGRect r, UIView* root, bool scrolledToo)
{
    CGRect out = intersection(v.convertRect(r, root), root->bounds());
    for (const UIView* a = v.superview(); a && a != root; a = a->superview())
        if (a->clipsToBounds() && (scrolledToo || !is<UIScrollView>(*a)))
            out = intersection(out, a->convertRect(a->bounds(), root));
    return out;
}

// The part of a rectangle of a view inside a scroll view that the views
// between the two let show, in the root's coordinates. The scroll view, what
// holds it and the window's edge do not count: scrolling brings the text in.
CGRect partInsideItsScroller(const UIView& v, CGRect r, UIView* root)
{
    CGRect out = v.convertRect(r, root);
    for (const UIView* a = v.superview(); a && !is<UIScrollView>(*a); a = a->superview())
        if (a->clipsToBounds()) out = intersection(out, a->convertRect(a->bounds(), root));
    return out;
}

bool covers(CGRect outer, CGRect inner)
{
    return inner.origin.x >= outer.origin.x - kTolerance && inner.origin.y >= outer.origin.y - kTolerance &&
           CGRectGetMaxX(inner) <= CGRectGetMaxX(outer) + kTolerance && CGRectGetMaxY(inner) <= CGRectGetMaxY(outer) + kTolerance;
}

double area(CGRect r) { return r.size.width * r.size.height; }

// ---- What is drawn over a view ---------------------------------------------------

// Where a view drawn later shows at least this opaque, it is what the eye
// sees there: the text or control under it is not what the user reads or
// reaches for at that moment (an alert, a sheet, a HUD, a picker's panel).
constexpr int kCoveringAlpha = 102;  // 0.4

class LaterDrawing {
public:
    explicit LaterDrawing(UIView* root) : root_(root) {}

    // Whether a view drawn after the given one (none of its ancestors)
    // shows at the point, in the root's coordinates.
    bool coversAt(const UIView& v, CGPoint p)
    {
        for (UIView* b : branchesAfter(v)) {
            if (!CGRectContainsPoint(visiblePart(*b, b->bounds(), root_, true), p)) continue;
            const CGPoint q = b->convertPointFromView(p, root_);
            const CGRect bounds = b->bounds();
            if (NXImagePixelAt(image(b), CGPointMake(q.x - bounds.origin.x, q.y - bounds.origin.y)).a >= kCoveringAlpha) return true;
        }
        return false;
    }

    // Whether later views cover every point of the rectangle (root
    // coordinates) that the view shows, sampled a point apart.
    bool coversWholly(const UIView& v, CGRect r)
    {
        for (CGFloat y = r.origin.y + 0.5; y < CGRectGetMaxY(r); y += 1)
            for (CGFloat x = r.origin.x + 0.5; x < CGRectGetMaxX(r); x += 1)
                if (!coversAt(v, CGPointMake(x, y))) return false;
        return true;
    }

private:
    // The shown views drawn after v, each taken whole with what it holds:
    // for v and each of its ancestors, the siblings that follow it.
    std::vector<UIView*> branchesAfter(const UIView& v) const
    {
        std::vector<UIView*> out;
        for (const UIView* a = &v; a != root_ && a->superview(); a = a->superview()) {
            bool after = false;
            for (const auto& sibling : a->superview()->subviews()) {
                if (sibling.get() == a) after = true;
                else if (after && shown(*sibling)) out.push_back(sibling.get());
            }
        }
        return out;
    }

    const std::shared_ptr<UIImage>& image(UIView* branch)
    {
        auto [at, made] = images_.try_emplace(branch);
        if (made) at->second = NXSnapshotImage(branch, 1);
        return at->second;
    }

    UIView* root_;
    std::map<UIView*, std::shared_ptr<UIImage>> images_;
};

// ---- Text --------------------------------------------------------------------

bool hasText(const UILabel& l) { return !l.text().isNil() && !l.text().str().empty(); }

// The rectangle the label's lines take, as aligned in its bounds.
CGRect textBox(const UILabel& l)
{
    const auto shownText = nxtext::labelText(l);
    CGRect r = shownText.rect;
    const CGFloat w = std::min(r.size.width, sizeWithFont(l.text(), shownText.font, r.size, l.lineBreakMode).width);
    if (l.textAlignment == UITextAlignmentCenter) r.origin.x += (r.size.width - w) / 2;
    else if (l.textAlignment == UITextAlignmentRight) r.origin.x += r.size.width - w;
    r.size.width = w;
    return r;
}

void checkCut(UILabel& l, UIView* root, std::vector<NXLintFinding>& out)
{
    if (nxtext::labelText(l).cut) {
        out.push_back({"cut text", describe(l) + " does not fit " + std::to_string(static_cast<int>(l.bounds().size.width)) + " points", &l});
        return;
    }
    const CGRect box = textBox(l);
    const CGRect seen = inScrollView(l, root) ? partInsideItsScroller(l, box, root) : visiblePart(l, box, root, false);
    if (area(seen) > 0 && area(seen) + 1 < area(l.convertRect(box, root)))
        out.push_back({"cut text", describe(l) + " is cut by the view around it", &l});
}

// Relative luminance of a pixel laid over black (what the window shows
// where nothing is drawn).
double luminance(const NXPixel& p)
{
    auto channel = [&](int v) {
        const double c = v * (p.a / 255.0) / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(p.r) + 0.7152 * channel(p.g) + 0.0722 * channel(p.b);
}

double contrast(const NXPixel& a, const NXPixel& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool differs(const NXPixel& a, const NXPixel& b)
{
    auto over = [](const NXPixel& p, int v) { return v * p.a / 255; };
    return std::abs(over(a, a.r) - over(b, b.r)) > 8 || std::abs(over(a, a.g) - over(b, b.g)) > 8 ||
           std::abs(over(a, a.b) - over(b, b.b)) > 8;
}

// The contrast of the label's ink: the ratio that nine in ten of its inked
// pixels reach against the same pixel drawn without the text (anti-aliased
// edges fall below the cores). 1 when the text left no visible ink.
double inkContrast(const UILabel& l, UIView* root, const std::shared_ptr<UIImage>& with, const std::shared_ptr<UIImage>& without,
                   LaterDrawing& over)
{
    const CGRect seen = visiblePart(l, textBox(l), root, true);
    std::vector<double> ratios;
    const CGFloat step = 1 / kScale;
    for (CGFloat y = seen.origin.y + step / 2; y < CGRectGetMaxY(seen); y += step) {
        for (CGFloat x = seen.origin.x + step / 2; x < CGRectGetMaxX(seen); x += step) {
            if (over.coversAt(l, CGPointMake(x, y))) continue;
            const CGPoint p = CGPointMake(x - root->bounds().origin.x, y - root->bounds().origin.y);
            const NXPixel a = NXImagePixelAt(with, p), b = NXImagePixelAt(without, p);
            if (differs(a, b)) ratios.push_back(contrast(a, b));
        }
    }
    if (ratios.empty()) {
        // No ink shows: text in its own background's colour has none to show,
        // text under another view's drawing is not seen at all (the view a
        // touch there reaches is none of the label's own ancestors).
        UIView* hit = root->hitTest(CGPointMake(CGRectGetMidX(seen), CGRectGetMidY(seen)), nullptr);
        if (hit && !l.isDescendantOfView(hit)) return kMinimumContrast;
        const NXPixel behind = NXImagePixelAt(without, CGPointMake(CGRectGetMidX(seen), CGRectGetMidY(seen)));
        const auto& ink = l.textColor;
        if (!ink) return 1;
        const NXPixel text{static_cast<int>(ink->red * 255), static_cast<int>(ink->green * 255), static_cast<int>(ink->blue * 255),
                           static_cast<int>(ink->alpha * 255)};
        return contrast(text, behind) < kMinimumContrast ? 1 : kMinimumContrast;
    }
    const size_t at = ratios.size() * 9 / 10;
    std::nth_element(ratios.begin(), ratios.begin() + static_cast<std::ptrdiff_t>(at), ratios.end());
    return ratios[at];
}

void checkContrast(const std::vector<UILabel*>& labels, UIView* root, LaterDrawing& over, std::vector<NXLintFinding>& out)
{
    std::vector<UILabel*> seen;
    for (UILabel* l : labels)
        if (const CGRect box = visiblePart(*l, textBox(*l), root, true); area(box) > 0 && !over.coversWholly(*l, box)) seen.push_back(l);
    if (seen.empty()) return;
    const auto with = NXSnapshotImage(root, kScale);
    struct Ink {
        std::shared_ptr<UIColor> text, highlighted, shadow;
    };
    std::vector<Ink> kept;
    for (UILabel* l : seen) {
        kept.push_back({l->textColor, l->highlightedTextColor, l->shadowColor});
        l->textColor = UIColor::clearColor();
        l->highlightedTextColor = UIColor::clearColor();
        l->shadowColor = nullptr;
    }
    const auto without = NXSnapshotImage(root, kScale);
    for (size_t i = 0; i < seen.size(); ++i) {
        seen[i]->textColor = kept[i].text;
        seen[i]->highlightedTextColor = kept[i].highlighted;
        seen[i]->shadowColor = kept[i].shadow;
    }
    for (UILabel* l : seen) {
        const double ratio = inkContrast(*l, root, with, without, over);
        if (ratio < kMinimumContrast) {
            char measured[48];
            std::snprintf(measured, sizeof measured, " has contrast %.1f:1", std::floor(ratio * 10) / 10);
            out.push_back({"contrast", describe(*l) + measured, l});
        }
    }
}

// ---- Controls ----------------------------------------------------------------------

bool tappable(const UIControl& c) { return c.enabled() && c.userInteractionEnabled(); }

// A custom button with nothing of its own to show, and a plain UIControl,
// are tap areas laid over another view's drawing (a tap on the background
// that puts the keyboard away): they have no look of their own to miss.
bool drawsByItself(UIView& v)
{
    if (auto* b = dynamic_cast<UIButton*>(&v))
        return b->buttonType() != UIButtonTypeCustom || b->currentTitle().length() > 0 || b->currentImage() || b->currentBackgroundImage();
    return (is<UIControl>(v) && typeid(v) != typeid(UIControl)) || is<UIPickerView>(v);
}

bool drewAPixel(UIView& v)
{
    const auto image = NXSnapshotImage(&v, 1);
    if (!image || !image->CGImage()) return false;
    cairo_surface_t* s = image->CGImage()->surface();
    cairo_surface_flush(s);
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s), stride = cairo_image_surface_get_stride(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (data[y * stride + x * 4 + 3] != 0) return true;
    return false;
}

// An alert or sheet, or a view over the whole of the view it lies on that
// takes touches and shows something (a HUD, a dimming layer, a popup on its
// blocker): it locks what lies under it on purpose.
bool isModal(UIView& v)
{
    if (is<NXButtonPanel>(v)) return true;
    const UIView* host = v.superview();
    return host && v.userInteractionEnabled() && covers(v.convertRect(v.bounds(), host), host->bounds()) && drewAPixel(v);
}

void checkReach(UIControl& c, UIView* root, LaterDrawing& over, std::vector<NXLintFinding>& out)
{
    if (inScrollView(c, root)) {
        // Reached by scrolling; only what shows now can be covered.
    } else if (const CGRect frame = c.convertRect(c.bounds(), root); !covers(root->bounds(), frame)) {
        // Wholly outside is parked (a bar that slides in when asked for);
        // partly outside is cut off where the user would reach for it.
        if (CGRectIntersectsRect(root->bounds(), frame))
            out.push_back({"outside", describe(c) + " reaches past the window", &c});
        return;
    }
    const CGRect seen = visiblePart(c, c.bounds(), root, true);
    if (area(seen) <= 0) return;
    UIView* hit = root->hitTest(CGPointMake(CGRectGetMidX(seen), CGRectGetMidY(seen)), nullptr);
    if (hit == &c || (hit && hit->isDescendantOfView(&c))) return;
    // What later views wholly hide is not seen, so nobody reaches for it.
    if (over.coversWholly(c, seen)) return;
    for (UIView* v = hit; v && v != root && !c.isDescendantOfView(v); v = v->superview())
        if (isModal(*v)) return;
    out.push_back({"covered", describe(c) + " is under " + (hit ? describe(*hit) : std::string("a view that takes no touch")), &c});
}

// ---- Faces -------------------------------------------------------------------------

// What a finger reaches for: a control, or a table row's own parts that take
// touches (the detail disclosure button, the delete control and button).
bool isControl(const UIView& v)
{
    if (!v.userInteractionEnabled()) return false;
    return is<UIControl>(v) || is<UITableViewCellAccessory>(v) || is<UITableViewCellEditControl>(v) || is<UITableViewCellDeleteButton>(v);
}

bool insideAlert(const UIView& v)
{
    for (const UIView* a = &v; a; a = a->superview())
        if (is<NXButtonPanel>(*a)) return true;
    return false;
}

// The table row a view lies in, if any.
const UIView* rowOf(const UIView& v)
{
    for (const UIView* a = v.superview(); a; a = a->superview())
        if (is<UITableViewCell>(*a)) return a;
    return nullptr;
}

// Text that a control drawn later in the same row paints over (a count under
// the row's disclosure button): the control's own pixels (at least 40%
// opaque) lie on the label's ink. Elsewhere what lies over text is another
// screen's or a bar's, which the contrast and reach rules judge.
void checkTextUnderControls(const std::vector<UIView*>& views, UIView* root, std::vector<NXLintFinding>& out)
{
    for (size_t i = 0; i < views.size(); ++i) {
        auto* l = dynamic_cast<UILabel*>(views[i]);
        if (!l || !hasText(*l) || insideAlert(*l)) continue;
        const CGRect text = visiblePart(*l, textBox(*l), root, true);
        if (area(text) <= 0) continue;
        std::shared_ptr<UIImage> ink;
        for (size_t j = i + 1; j < views.size(); ++j) {
            UIView* c = views[j];
            if (!isControl(*c) || insideAlert(*c) || l->isDescendantOfView(c) || c->isDescendantOfView(l)) continue;
            if (!rowOf(*l) || rowOf(*l) != rowOf(*c)) continue;
            const CGRect both = intersection(text, visiblePart(*c, c->bounds(), root, true));
            if (area(both) <= 0) continue;
            if (!ink) ink = NXSnapshotImage(l, 1);
            const auto face = NXSnapshotImage(c, 1);
            bool under = false;
            for (CGFloat y = both.origin.y + 0.5; y < CGRectGetMaxY(both) && !under; y += 1)
                for (CGFloat x = both.origin.x + 0.5; x < CGRectGetMaxX(both) && !under; x += 1) {
                    const CGPoint p = CGPointMake(x, y);
                    const CGPoint inLabel = l->convertPointFromView(p, root), inControl = c->convertPointFromView(p, root);
                    under = NXImagePixelAt(ink, CGPointMake(inLabel.x - l->bounds().origin.x, inLabel.y - l->bounds().origin.y)).a >= kCoveringAlpha &&
                            NXImagePixelAt(face, CGPointMake(inControl.x - c->bounds().origin.x, inControl.y - c->bounds().origin.y)).a >=
                                kCoveringAlpha;
                }
            if (under) {
                out.push_back({"covered text", describe(*l) + " is under " + describe(*c), l});
                break;
            }
        }
    }
}

// Whether a drawn view shows a colour anywhere on its face (a pixel at least
// half opaque within a small distance of it).
bool showsColour(const std::shared_ptr<UIImage>& face, const UIColor& colour)
{
    if (!face || !face->CGImage()) return false;
    const CGSize size = face->size();
    const NXPixel want{static_cast<int>(std::lround(colour.red * 255)), static_cast<int>(std::lround(colour.green * 255)),
                       static_cast<int>(std::lround(colour.blue * 255)), 255};
    for (CGFloat y = 0.5; y < size.height; y += 1)
        for (CGFloat x = 0.5; x < size.width; x += 1) {
            const NXPixel p = NXImagePixelAt(face, CGPointMake(x, y));
            if (p.a >= 128 && std::abs(p.r - want.r) <= 40 && std::abs(p.g - want.g) <= 40 && std::abs(p.b - want.b) <= 40) return true;
        }
    return false;
}

std::string rgb(const UIColor& c)
{
    char text[40];
    std::snprintf(text, sizeof text, "(%.2f, %.2f, %.2f)", c.red, c.green, c.blue);
    return text;
}

// A control the design gives a colour (a segmented control's or tinted bar
// button's tint, a button's title colour) whose face shows none of it.
void checkFace(UIView& v, std::vector<NXLintFinding>& out)
{
    std::shared_ptr<UIColor> given;
    std::string what;
    if (auto* s = dynamic_cast<UISegmentedControl*>(&v); s && s->tintColor && s->numberOfSegments() > 0) {
        given = s->tintColor, what = "tint";
    } else if (auto* b = dynamic_cast<UIButton*>(&v); b && b->currentTitle().length() > 0) {
        given = b->titleColorForState(static_cast<UIControlState>(b->state())), what = "title colour";
    }
    if (!given || given->alpha < 0.5 || given->patternImage()) return;
    if (!showsColour(NXSnapshotImage(&v, 1), *given))
        out.push_back({"no colour", describe(v) + " shows none of its " + what + " " + rgb(*given), &v});
}

// A stretchable image drawn in an image view keeps its caps at their size
// (a button's background is as wide as its title asks, by design): drawn narrower (or lower) than its caps, or
// with its ends scaled, its rounded ends and pointers are lost.
void checkCaps(UIView& v, std::vector<NXLintFinding>& out)
{
    std::shared_ptr<UIImage> image;
    if (auto* iv = dynamic_cast<UIImageView*>(&v); iv && iv->contentMode() == UIViewContentModeScaleToFill)
        image = iv->highlighted && iv->highlightedImage ? iv->highlightedImage : iv->image;
    if (!image || (image->leftCapWidth() <= 0 && image->topCapHeight() <= 0)) return;
    const CGSize size = image->size(), space = v.bounds().size;
    const CGFloat left = static_cast<CGFloat>(image->leftCapWidth()), top = static_cast<CGFloat>(image->topCapHeight());
    auto report = [&](const std::string& how) { out.push_back({"stretched cap", describe(v) + " " + how, &v}); };
    char text[96];
    if (left > 0 && size.width - 1 > space.width + kTolerance) {
        std::snprintf(text, sizeof text, "is %g points wide, less than its image's caps (%g points)", space.width, size.width - 1);
        return report(text);
    }
    if (top > 0 && size.height - 1 > space.height + kTolerance) {
        std::snprintf(text, sizeof text, "is %g points high, less than its image's caps (%g points)", space.height, size.height - 1);
        return report(text);
    }
    // Drawn, the ends keep the image's own pixels: the left cap's columns
    // along its middle row, where no top cap stretches it.
    if (left <= 0 || top > 0 || size.height <= 0) return;
    const auto face = NXSnapshotImage(&v, 1);
    const CGFloat row = std::floor(size.height / 2) + 0.5;
    const CGFloat drawnRow = row * space.height / size.height;
    for (CGFloat x = 0.5; x < left; x += 1) {
        const NXPixel want = NXImagePixelAt(image, CGPointMake(x, row)), got = NXImagePixelAt(face, CGPointMake(x, drawnRow));
        if (std::abs(want.a - got.a) > 64 || (want.a > 128 && differs(want, got) && std::abs(want.r - got.r) + std::abs(want.g - got.g) + std::abs(want.b - got.b) > 96))
        {
            std::snprintf(text, sizeof text, "does not keep its %g-point left cap at %g points wide", left, space.width);
            return report(text);
        }
    }
}

}  // namespace

std::vector<NXLintFinding> NXLintViewTree(UIView* root)
{
    std::vector<NXLintFinding> out;
    if (!root) return out;
    // Laid out as it will be drawn: a cell places its accessory as it lays out.
    std::function<void(UIView&)> layOut = [&](UIView& v) {
        v.layoutIfNeeded();
        const auto subviews = v.subviews();
        for (const auto& sub : subviews) layOut(*sub);
    };
    layOut(*root);
    std::vector<UILabel*> labels;
    std::vector<UIView*> views;
    eachShownView(*root, [&](UIView& v) { views.push_back(&v); });
    // An alert or sheet, and a view over the whole window that takes touches
    // (a screen laid over another, a HUD's dimming layer), hide or lock what
    // was drawn before them: only they and what comes after are seen.
    size_t top = 0;
    for (size_t i = 1; i < views.size(); ++i)
        if (is<NXButtonPanel>(*views[i]) ||
            (views[i]->userInteractionEnabled() && covers(views[i]->convertRect(views[i]->bounds(), root), root->bounds())))
            top = i;
    views.erase(views.begin(), views.begin() + static_cast<std::ptrdiff_t>(top));
    LaterDrawing over(root);
    for (UIView* v : views) {
        if (auto* l = dynamic_cast<UILabel*>(v); l && hasText(*l)) {
            labels.push_back(l);
            checkCut(*l, root, out);
        }
        if (auto* c = dynamic_cast<UIControl*>(v); c && tappable(*c)) checkReach(*c, root, over, out);
        const bool seen = area(visiblePart(*v, v->bounds(), root, true)) > 0;
        if (drawsByItself(*v) && seen && !drewAPixel(*v))
            out.push_back({"drew nothing", describe(*v) + " puts no pixel on the screen", v});
        if (seen && is<UIControl>(*v)) checkFace(*v, out);
        if (seen) checkCaps(*v, out);
    }
    checkTextUnderControls(views, root, out);
    checkContrast(labels, root, over, out);
    return out;
}

std::string NXLintDescription(const NXLintFinding& finding) { return finding.rule + ": " + finding.detail; }
