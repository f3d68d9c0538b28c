// The table's own parts: how they look and what a finger on them does.

#include "platform/uikit/UITableViewParts.h"

#include <cmath>

#include "platform/uikit/UIStringDrawing.h"

namespace {

UITableViewCell* cellOf(const UIView& part) { return dynamic_cast<UITableViewCell*>(part.superview()); }

UITableView* tableOf(const UIView& part)
{
    UITableViewCell* cell = cellOf(part);
    return cell ? dynamic_cast<UITableView*>(cell->superview()) : nullptr;
}

// A part takes its own touches (they do not travel on to the table, which
// would take them for a tap on the row); a lift inside it counts.
bool liftedInside(const UIView& part, const NSSetOfTouches& t)
{
    return !t.empty() && CGRectContainsPoint(part.bounds(), t.front()->locationInView(&part));
}

void verticalGradient(CGContextRef c, CGRect r, const CGFloat top[3], const CGFloat bottom[3])
{
    const CGFloat components[8] = {top[0], top[1], top[2], 1, bottom[0], bottom[1], bottom[2], 1};
    const CGFloat locations[2] = {0, 1};
    auto gradient = CGGradientCreateWithColorComponents(CGColorSpaceCreateDeviceRGB(), components, locations, 2);
    CGContextDrawLinearGradient(c, gradient, CGPointMake(0, CGRectGetMinY(r)), CGPointMake(0, CGRectGetMaxY(r)), 0);
}

// A white disc on a soft shadow, filled inside its rim with a gradient: the
// detail-disclosure button and the editing delete control.
void shadowedDisc(CGContextRef c, CGRect disc, CGFloat shadowAlpha, const CGFloat top[3], const CGFloat bottom[3])
{
    CGContextSaveGState(c);
    CGContextSetShadowWithColor(c, CGSizeMake(0, 1), 1.5, UIColor::colorWithRed(0, 0, 0, shadowAlpha));
    CGContextSetGrayFillColor(c, 1, 1);
    CGContextFillEllipseInRect(c, disc);
    CGContextRestoreGState(c);
    CGContextSaveGState(c);
    CGContextBeginPath(c);
    CGContextAddEllipseInRect(c, CGRectInset(disc, 2, 2));
    CGContextClip(c);
    verticalGradient(c, disc, top, bottom);
    CGContextRestoreGState(c);
}

void chevron(CGContextRef c, CGFloat x, CGFloat midY, CGFloat halfHeight, CGFloat width, CGFloat lineWidth)
{
    CGContextSetLineWidth(c, lineWidth);
    CGContextSetLineCap(c, kCGLineCapSquare);
    CGContextSetLineJoin(c, kCGLineJoinMiter);
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, x, midY - halfHeight);
    CGContextAddLineToPoint(c, x + width, midY);
    CGContextAddLineToPoint(c, x, midY + halfHeight);
    CGContextStrokePath(c);
}

CGSize accessorySize(UITableViewCellAccessoryType type)
{
    switch (type) {
    case UITableViewCellAccessoryDisclosureIndicator: return CGSizeMake(10, 14);
    case UITableViewCellAccessoryDetailDisclosureButton: return CGSizeMake(29, 31);
    case UITableViewCellAccessoryCheckmark: return CGSizeMake(14, 14);
    default: return CGSizeMake(0, 0);
    }
}

}  // namespace

// ---- Accessories ---------------------------------------------------------------

std::shared_ptr<UITableViewCellAccessory> UITableViewCellAccessory::initWithType(UITableViewCellAccessoryType type)
{
    const CGSize size = accessorySize(type);
    auto accessory = UIView::initWithFrame<UITableViewCellAccessory>(CGRectMake(0, 0, size.width, size.height));
    accessory->type_ = type;
    accessory->setBackgroundColor(UIColor::clearColor());
    // Only the button takes the finger; over the others a touch is the row's.
    accessory->setUserInteractionEnabled(type == UITableViewCellAccessoryDetailDisclosureButton);
    return accessory;
}

void UITableViewCellAccessory::drawRect(CGRect)
{
    CGContextRef c = UIGraphicsGetCurrentContext();
    const CGRect b = bounds();
    const UITableViewCell* cell = cellOf(*this);
    // On a highlighted or selected row the marks turn white, as the row turns blue.
    const bool lit = cell && cell->selectionStyle != UITableViewCellSelectionStyleNone &&
                     (cell->highlighted() || cell->selected());
    switch (type_) {
    case UITableViewCellAccessoryDisclosureIndicator:
        if (lit) CGContextSetGrayStrokeColor(c, 1, 1);
        else CGContextSetGrayStrokeColor(c, 0.50, 1);
        chevron(c, 2, CGRectGetMidY(b), 5, 5, 3);
        break;
    case UITableViewCellAccessoryDetailDisclosureButton: {
        const CGRect disc = CGRectMake(2, 2, 25, 25);
        const CGFloat top[3] = {0.45, 0.66, 0.98}, bottom[3] = {0.09, 0.35, 0.85};
        shadowedDisc(c, disc, 0.45, top, bottom);
        CGContextSetGrayStrokeColor(c, 1, 1);
        chevron(c, 12, CGRectGetMidY(disc), 4.5, 4.5, 3);
        break;
    }
    case UITableViewCellAccessoryCheckmark:
        if (lit) CGContextSetGrayStrokeColor(c, 1, 1);
        else CGContextSetRGBStrokeColor(c, 0.20, 0.31, 0.52, 1);
        CGContextSetLineWidth(c, 2.5);
        CGContextSetLineCap(c, kCGLineCapRound);
        CGContextSetLineJoin(c, kCGLineJoinRound);
        CGContextBeginPath(c);
        CGContextMoveToPoint(c, 1.5, 7.5);
        CGContextAddLineToPoint(c, 5.5, 12);
        CGContextAddLineToPoint(c, 12.5, 1.5);
        CGContextStrokePath(c);
        break;
    default: break;
    }
}

void UITableViewCellAccessory::touchesBegan(const NSSetOfTouches&, UIEvent*) {}

void UITableViewCellAccessory::touchesEnded(const NSSetOfTouches& t, UIEvent*)
{
    if (!liftedInside(*this, t)) return;
    if (UITableView* table = tableOf(*this)) table->accessoryButtonTapped(cellOf(*this));
}

// ---- Editing -------------------------------------------------------------------

void UITableViewCellEditControl::drawRect(CGRect)
{
    CGContextRef c = UIGraphicsGetCurrentContext();
    const CGRect b = bounds();
    const CGRect disc = CGRectMake(8, std::floor(CGRectGetMidY(b)) - 11, 22, 22);
    const CGFloat top[3] = {0.95, 0.45, 0.42}, bottom[3] = {0.80, 0.08, 0.05};
    shadowedDisc(c, disc, 0.4, top, bottom);
    const UITableViewCell* cell = cellOf(*this);
    const bool upright = cell && cell->showingDeleteConfirmation();
    const CGFloat mx = CGRectGetMidX(disc), my = CGRectGetMidY(disc);
    CGContextSetGrayFillColor(c, 1, 1);
    CGContextFillRect(c, upright ? CGRectMake(mx - 1.5, my - 5.5, 3, 11) : CGRectMake(mx - 5.5, my - 1.5, 11, 3));
}

void UITableViewCellEditControl::touchesBegan(const NSSetOfTouches&, UIEvent*) {}

void UITableViewCellEditControl::touchesEnded(const NSSetOfTouches& t, UIEvent*)
{
    if (!liftedInside(*this, t)) return;
    if (UITableView* table = tableOf(*this)) table->deleteControlTapped(cellOf(*this));
}

static std::shared_ptr<UIFont> deleteFont() { return UIFont::boldSystemFontOfSize(14); }

std::shared_ptr<UITableViewCellDeleteButton> UITableViewCellDeleteButton::make()
{
    const CGFloat width = std::max<CGFloat>(64, std::ceil(sizeWithFont(title(), deleteFont()).width) + 20);
    auto button = UIView::initWithFrame<UITableViewCellDeleteButton>(CGRectMake(0, 0, width, 30));
    button->setBackgroundColor(UIColor::clearColor());
    return button;
}

void UITableViewCellDeleteButton::drawRect(CGRect)
{
    CGContextRef c = UIGraphicsGetCurrentContext();
    const CGRect face = CGRectInset(bounds(), 0.5, 0.5);
    CGContextSaveGState(c);
    CGContextBeginPath(c);
    NXContextAddRoundedRect(c, face, 6, 6);
    CGContextClip(c);
    const CGFloat top[3] = {0.93, 0.42, 0.40}, bottom[3] = {0.74, 0.05, 0.04};
    verticalGradient(c, face, top, bottom);
    CGContextRestoreGState(c);
    CGContextSetRGBStrokeColor(c, 0.45, 0.02, 0.02, 1);
    CGContextSetLineWidth(c, 1);
    CGContextBeginPath(c);
    NXContextAddRoundedRect(c, face, 6, 6);
    CGContextStrokePath(c);
    const auto font = deleteFont();
    const CGFloat lineHeight = std::ceil(font->lineHeight());
    const CGRect text = CGRectMake(0, std::floor((bounds().size.height - lineHeight) / 2), bounds().size.width, lineHeight);
    CGContextSetRGBFillColor(c, 0.35, 0, 0, 0.6);
    drawInRect(title(), CGRectOffset(text, 0, -1), font, UILineBreakModeClip, UITextAlignmentCenter);
    CGContextSetGrayFillColor(c, 1, 1);
    drawInRect(title(), text, font, UILineBreakModeClip, UITextAlignmentCenter);
}

void UITableViewCellDeleteButton::touchesBegan(const NSSetOfTouches&, UIEvent*) {}

void UITableViewCellDeleteButton::touchesEnded(const NSSetOfTouches& t, UIEvent*)
{
    if (!liftedInside(*this, t)) return;
    if (UITableView* table = tableOf(*this)) table->deleteButtonTapped(cellOf(*this));
}

// ---- Section headers -----------------------------------------------------------

std::shared_ptr<UITableViewHeaderLabel> UITableViewHeaderLabel::make(const NSString& title, UITableViewStyle style)
{
    auto header = UIView::initWithFrame<UITableViewHeaderLabel>(CGRectZero);
    header->style_ = style;
    header->setBackgroundColor(UIColor::clearColor());
    header->label_ = UILabel::initWithFrame(CGRectZero);
    UILabel& label = *header->label_;
    label.setText(title);
    label.setBackgroundColor(UIColor::clearColor());
    label.lineBreakMode = UILineBreakModeTailTruncation;
    if (style == UITableViewStylePlain) {
        label.font = UIFont::boldSystemFontOfSize(18);
        label.textColor = UIColor::whiteColor();
        label.shadowColor = UIColor::colorWithRed(0, 0, 0, 0.45);
        label.shadowOffset = CGSizeMake(0, 1);
    } else {
        label.font = UIFont::boldSystemFontOfSize(17);
        label.textColor = UIColor::colorWithRed(0.30, 0.34, 0.42, 1);
        label.shadowColor = UIColor::whiteColor();
        label.shadowOffset = CGSizeMake(0, 1);
    }
    header->addSubview(header->label_);
    return header;
}

void UITableViewHeaderLabel::layoutSubviews()
{
    const CGRect b = bounds();
    const CGFloat inset = style_ == UITableViewStylePlain ? 12 : 20;
    label_->setFrame(CGRectMake(inset, 0, std::max<CGFloat>(0, b.size.width - 2 * inset), b.size.height));
}

void UITableViewHeaderLabel::drawRect(CGRect)
{
    if (style_ != UITableViewStylePlain) return;
    CGContextRef c = UIGraphicsGetCurrentContext();
    const CGRect b = bounds();
    // Dark enough for the white title to stand out (3:1 at the light end).
    const CGFloat top[3] = {0.38, 0.44, 0.50}, bottom[3] = {0.50, 0.55, 0.61};
    verticalGradient(c, b, top, bottom);
    CGContextSetRGBFillColor(c, 0.30, 0.35, 0.40, 1);
    CGContextFillRect(c, CGRectMake(0, 0, b.size.width, 1));
    CGContextSetRGBFillColor(c, 0.42, 0.47, 0.52, 1);
    CGContextFillRect(c, CGRectMake(0, b.size.height - 1, b.size.width, 1));
}
