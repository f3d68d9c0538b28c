#include "ui/MonthCalendarView.h"

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSLog.h"

namespace {

constexpr NSTimeInterval kSlideDuration = 0.5;

// The first drawing of any calendar tells its delegate the month it shows;
// one flag for the whole program, not one per calendar.
bool gFirstDrawingDone = false;

const char* const kWeekdayKeys[7] = {
    "monthcalendarview_monday",   "monthcalendarview_tuesday", "monthcalendarview_wednesday", "monthcalendarview_thursday",
    "monthcalendarview_friday",   "monthcalendarview_saturday", "monthcalendarview_sunday",
};

CGContextRef context() { return UIGraphicsGetCurrentContext(); }
void fillRGB(CGFloat r, CGFloat g, CGFloat b, CGFloat a = 1) { CGContextSetRGBFillColor(context(), r, g, b, a); }

void line(CGFloat x0, CGFloat y0, CGFloat x1, CGFloat y1)
{
    CGContextRef c = context();
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, x0, y0);
    CGContextAddLineToPoint(c, x1, y1);
    CGContextStrokePath(c);
}

bool isToday(const CFGregorianDate& today, const CFGregorianDate& month, int day)
{
    return today.year == month.year && today.month == month.month && today.day == day;
}

}  // namespace

std::shared_ptr<MonthCalendarView> MonthCalendarView::initWithFrame(CGRect frame)
{
    auto v = UIView::initWithFrame<MonthCalendarView>(frame);
    v->initCalView();
    return v;
}

void MonthCalendarView::initCalView()
{
    currentTime_ = CFAbsoluteTimeGetCurrent();
    currentMonthDate_ = CFAbsoluteTimeGetGregorianDate(currentTime_);
    currentMonthDate_.day = 1;
    currentSelectDate_.year = 0;
    clearAllDayFlag();
}

NSString MonthCalendarView::getCurSelectData() const
{
    CFGregorianDate d = currentSelectDate_;
    if (d.year == 0 || d.month == 0 || d.day == 0) d = CFAbsoluteTimeGetGregorianDate(currentTime_);
    return NSString::stringWithFormat("%d-%02d-%02d", static_cast<int>(d.year), static_cast<int>(d.month), static_cast<int>(d.day));
}

int MonthCalendarView::getDayCountOfaMonth(CFGregorianDate date) const
{
    switch (date.month) {
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    case 2: {
        const bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
        return leap ? 29 : 28;
    }
    default:
        return 31;
    }
}

int MonthCalendarView::getMonthWeekday(CFGregorianDate date) const
{
    CFGregorianDate first = date;
    first.day = 1;
    first.hour = 0;
    first.minute = 0;
    first.second = 1;
    return CFAbsoluteTimeGetDayOfWeek(CFGregorianDateGetAbsoluteTime(first));
}

int MonthCalendarView::rowsForMonth(CFGregorianDate month) const
{
    return (getDayCountOfaMonth(month) + getMonthWeekday(month) - 2) / 7 + 1;
}

CGFloat MonthCalendarView::heightForMonth(CFGregorianDate month) const
{
    return rowsForMonth(month) * kRowHeight + kTitleHeight;
}

int MonthCalendarView::cellWidth() const { return static_cast<int>(frame().size.width) / 7; }

CGPoint MonthCalendarView::cellOrigin(int day, int weekdayOfFirst) const
{
    const int i = day + weekdayOfFirst - 2;
    return CGPointMake((i % 7) * cellWidth(), (i / 7) * kRowHeight + kTitleHeight);
}

int MonthCalendarView::getDayFlag(int day) const { return day >= 1 && day <= 31 ? monthFlagArray_[day - 1] : 0; }

void MonthCalendarView::setDayFlag(int day, int flag)
{
    if (day < 1 || day > 31 || flag == 0) return;
    monthFlagArray_[day - 1] = flag > 0 ? 1 : -1;
}

void MonthCalendarView::clearAllDayFlag()
{
    for (int& f : monthFlagArray_) f = 0;
}

// ---- Changing the month --------------------------------------------------------

std::shared_ptr<UIImage> MonthCalendarView::renderedImage()
{
    UIGraphicsBeginImageContext(bounds().size);
    layer()->renderInContext(UIGraphicsGetCurrentContext());
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

void MonthCalendarView::movePrevMonth()
{
    // The snapshot shows the month as it was drawn, before it changes.
    auto shown = renderedImage();
    if (currentMonthDate_.month <= 1) {
        currentMonthDate_.month = 12;
        --currentMonthDate_.year;
    } else {
        --currentMonthDate_.month;
    }
    slide(0, shown);
}

void MonthCalendarView::moveNextMonth()
{
    auto shown = renderedImage();
    if (currentMonthDate_.month >= 12) {
        currentMonthDate_.month = 1;
        ++currentMonthDate_.year;
    } else {
        ++currentMonthDate_.month;
    }
    slide(1, shown);
}

void MonthCalendarView::movePrevNext(int isNext) { slide(isNext, renderedImage()); }

void MonthCalendarView::slide(int isNext, const std::shared_ptr<UIImage>& oldMonth)
{
    auto keep = self();
    currentSelectDate_.year = 0;
    if (auto d = calendarViewDelegate()) d->beforeMonthChange_willto(this, currentMonthDate_);

    const int width = static_cast<int>(frame().size.width) + static_cast<int>(frame().origin.x);
    const CGFloat distance = isNext == 1 ? width : -width;

    if (!viewImageView_) {
        viewImageView_ = UIImageView::initWithImage(oldMonth);
        viewImageView_->setCenter(center());
        if (superview()) superview()->addSubview(viewImageView_);
    } else {
        viewImageView_->setImage(oldMonth);
    }
    viewImageView_->setTransform(CGAffineTransformIdentity);
    viewImageView_->setHidden(false);

    setHidden(true);
    setNeedsDisplay();
    setTransform(CGAffineTransformMakeTranslation(distance, 0));
    setHidden(false);
    UIView::beginAnimations(NSString(), nullptr);
    UIView::setAnimationDuration(kSlideDuration);
    setTransform(CGAffineTransformIdentity);
    viewImageView_->setTransform(CGAffineTransformMakeTranslation(-distance, 0));
    UIView::commitAnimations();

    if (auto d = calendarViewDelegate())
        d->monthChanged_viewLeftTop_height(currentMonthDate_, frame().origin, heightForMonth(currentMonthDate_));
}

// ---- Touches -------------------------------------------------------------------------

void MonthCalendarView::touchesEnded(const NSSetOfTouches& touches, UIEvent* event)
{
    if (touches.empty()) return;
    const CGPoint p = touches.front()->locationInView(this);
    const int width = static_cast<int>(frame().size.width);
    if (p.x < 40 && p.y < kTitleHeight) movePrevMonth();
    else if (p.x > width - 40 && p.y < kTitleHeight) moveNextMonth();
    else if (p.y > kTitleHeight) touchAtDate(p);
}

void MonthCalendarView::touchAtDate(CGPoint p)
{
    const int day = static_cast<int>(p.x * 7 / frame().size.width) + static_cast<int>((p.y - kTitleHeight) / kRowHeight) * 7 -
                    getMonthWeekday(currentMonthDate_) + 2;
    if (day < 1 || day > getDayCountOfaMonth(currentMonthDate_)) return;
    currentSelectDate_ = CFGregorianDate{currentMonthDate_.year, currentMonthDate_.month, static_cast<int8_t>(day), 0, 0, 1.0};
    if (auto d = calendarViewDelegate()) d->selectDateChanged(currentSelectDate_);
    setNeedsDisplay();
}

// ---- Drawing -------------------------------------------------------------------------

void MonthCalendarView::drawRect(CGRect rect)
{
    currentTime_ = CFAbsoluteTimeGetCurrent();
    drawTopGradientBar();
    drawTopBarWords();
    drawGirdLines();
    if (!gFirstDrawingDone) {
        gFirstDrawingDone = true;
        if (auto d = calendarViewDelegate()) {
            d->monthChanged_viewLeftTop_height(currentMonthDate_, frame().origin, heightForMonth(currentMonthDate_));
            d->beforeMonthChange_willto(this, currentMonthDate_);
        }
    }
    drawDateWords();
    drawToday();
    drawCurrentSelectDate();
}

void MonthCalendarView::drawTopGradientBar()
{
    const CGFloat components[12] = {1, 1, 1, 1, 0.5, 0.5, 0.5, 1, 1, 1, 1, 1};
    const CGFloat locations[3] = {0, 0.5, 1};
    auto gradient = CGGradientCreateWithColorComponents(CGColorSpaceCreateDeviceRGB(), components, locations, 3);
    CGContextDrawLinearGradient(context(), gradient, CGPointMake(60, 0), CGPointMake(60, kTitleHeight), 0);
    fillRGB(0, 0, 0);
    drawPrevButton(CGPointMake(15, 12));
    drawNextButton(CGPointMake(frame().size.width - 35, 12));
}

void MonthCalendarView::drawPrevButton(CGPoint p)
{
    CGContextRef c = context();
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, p.x, p.y + 10);
    CGContextAddLineToPoint(c, p.x + 20, p.y);
    CGContextAddLineToPoint(c, p.x + 20, p.y + 20);
    CGContextClosePath(c);
    CGContextFillPath(c);
}

void MonthCalendarView::drawNextButton(CGPoint p)
{
    CGContextRef c = context();
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, p.x, p.y);
    CGContextAddLineToPoint(c, p.x + 20, p.y + 10);
    CGContextAddLineToPoint(c, p.x, p.y + 20);
    CGContextClosePath(c);
    CGContextFillPath(c);
}

void MonthCalendarView::drawTopBarWords()
{
    fillRGB(0, 0, 0);
    const NSString title = NSString::stringWithFormat("%d年%d月", static_cast<int>(currentMonthDate_.year), static_cast<int>(currentMonthDate_.month));
    drawAtPoint(title, CGPointMake(static_cast<int>(frame().size.width) / 2 - 75, 0), UIFont::systemFontOfSize(30));
    const auto font = UIFont::boldSystemFontOfSize(12);
    const CGFloat y = static_cast<int>(UIFont::buttonFontSize()) + 23;
    for (int n = 0; n < 7; ++n) {
        if (n >= 5) fillRGB(1, 0, 0);
        drawAtPoint(NSLocalizedString(kWeekdayKeys[n], ""), CGPointMake(n * cellWidth() + 9, y), font);
    }
    fillRGB(0, 0, 0);
}

void MonthCalendarView::drawGirdLines()
{
    CGContextRef c = context();
    const int rows = rowsForMonth(currentMonthDate_);
    const int bottom = static_cast<int>(rows * kRowHeight + kTitleHeight);
    const CGFloat width = frame().size.width;
    const int w = cellWidth();
    NX_LOG("row_Count %d", rows);
    if (rows <= 5) {
        fillRGB(1, 0, 0);
        const NSString info = NSString::stringWithFormat("%@%d%@", NSLocalizedString("monthcalendarview_infostart", ""), 3,
                                                         NSLocalizedString("monthcalendarview_infoend", ""));
        drawAtPoint(info, CGPointMake(width / 2 - static_cast<CGFloat>(info.length() * 12) / 2, bottom + 17.5),
                    UIFont::systemFontOfSize(12));
        fillRGB(0, 0, 0);
    }
    CGContextSetLineWidth(c, 1);
    CGContextSetRGBStrokeColor(c, 0, 0, 0, 1);
    line(0, kTitleHeight, 0, bottom);
    line(width, kTitleHeight, width, bottom);
    CGContextSetRGBStrokeColor(c, 1, 1, 1, 1);
    for (int k = 1; k <= 6; ++k) line(k * w - 1, kTitleHeight, k * w - 1, bottom);
    for (int i = 0; i <= rows; ++i) {
        CGContextSetRGBStrokeColor(c, 1, 1, 1, 1);
        line(0, i * kRowHeight + 63, width, i * kRowHeight + 63);
        CGContextSetRGBStrokeColor(c, 0.3, 0.3, 0.3, 1);
        line(0, i * kRowHeight + kTitleHeight, width, i * kRowHeight + kTitleHeight);
    }
    CGContextSetRGBStrokeColor(c, 0.3, 0.3, 0.3, 1);
    for (int k = 1; k <= 6; ++k) line(k * w + 2, kTitleHeight, k * w + 2, bottom);
}

void MonthCalendarView::drawDot(int day, CGPoint origin, bool white)
{
    const int flag = getDayFlag(day);
    if (flag == 0) return;
    if (white) fillRGB(1, 1, 1);
    else if (flag == 1) fillRGB(1, 0, 0);
    else fillRGB(0, 1.0, 0.3);
    drawAtPoint(".", CGPointMake(origin.x + 19, origin.y + 6), UIFont::boldSystemFontOfSize(25));
}

void MonthCalendarView::drawDateWords()
{
    const int first = getMonthWeekday(currentMonthDate_);
    const auto font = UIFont::boldSystemFontOfSize(16);
    for (int d = 1; d <= getDayCountOfaMonth(currentMonthDate_); ++d) {
        const CGPoint o = cellOrigin(d, first);
        fillRGB(0, 0, 0);
        drawAtPoint(NSString::stringWithFormat("%2d", d), CGPointMake(o.x + 15, o.y + 8), font);
        drawDot(d, o, false);
    }
    fillRGB(0, 0, 0);
}

void MonthCalendarView::drawToday()
{
    const CFGregorianDate today = CFAbsoluteTimeGetGregorianDate(currentTime_);
    if (today.year != currentMonthDate_.year || today.month != currentMonthDate_.month) return;
    const CGPoint o = cellOrigin(today.day, getMonthWeekday(currentMonthDate_));
    const int w = cellWidth();
    fillRGB(0, 0, 0.7, 0.5);
    CGContextFillRect(context(), CGRectMake(o.x + 4, o.y + 4, w - 6, 29));
    fillRGB(1, 1, 1);
    drawAtPoint(NSString::stringWithFormat("%2d", static_cast<int>(today.day)), CGPointMake(o.x + 15, o.y + 8), UIFont::boldSystemFontOfSize(16));
    drawDot(today.day, o, false);
    fillRGB(0, 0, 0);
}

void MonthCalendarView::drawCurrentSelectDate()
{
    if (currentSelectDate_.year == 0) return;
    const int day = currentSelectDate_.day;
    const CGPoint o = cellOrigin(day, getMonthWeekday(currentMonthDate_));
    const int w = cellWidth();
    const bool today = isToday(CFAbsoluteTimeGetGregorianDate(currentTime_), currentSelectDate_, day);
    if (today) fillRGB(0, 0.8, 0);
    else fillRGB(0, 1, 0);
    CGContextFillRect(context(), CGRectMake(o.x + 4, o.y + 4, w - 6, 29));
    if (today) {
        fillRGB(0, 0, 1);
        CGContextFillRect(context(), CGRectMake(o.x + 4, o.y + 3, w - 5, 29));
    }
    fillRGB(1, 1, 1);
    drawAtPoint(NSString::stringWithFormat("%2d", day), CGPointMake(o.x + 15, o.y + 8), UIFont::boldSystemFontOfSize(16));
    drawDot(day, o, true);
    fillRGB(0, 0, 0);
}
