// The date picker: wheels for the mode's fields, in the local time zone.

#include <algorithm>
#include <cmath>

#include "platform/foundation/CFGregorianDate.h"
#include "platform/foundation/NSClock.h"
#include "platform/uikit/CoreGraphics.h"
#include "platform/uikit/UIPickerView.h"

namespace {

enum class Field { Month, Day, Year, Days, Hour12, Minute, Meridiem, Hours, Minutes };

// Endless wheels repeat their values this many times; a wheel at rest is put
// back on the middle lap, so the user never meets an end.
constexpr NSInteger kLaps = 100;
// The year wheel runs from year 1 to 9999.
constexpr NSInteger kYears = 9999;

struct WheelKind {
    Field field;
    CGFloat share;  // of the width the wheels share
    UITextAlignment alignment;
};

std::vector<WheelKind> wheelsOf(UIDatePickerMode mode)
{
    switch (mode) {
    case UIDatePickerModeDate:
        return {{Field::Month, 0.47, UITextAlignmentLeft}, {Field::Day, 0.19, UITextAlignmentRight}, {Field::Year, 0.34, UITextAlignmentLeft}};
    case UIDatePickerModeTime:
        return {{Field::Hour12, 0.36, UITextAlignmentRight}, {Field::Minute, 0.32, UITextAlignmentLeft}, {Field::Meridiem, 0.32, UITextAlignmentLeft}};
    case UIDatePickerModeCountDownTimer:
        return {{Field::Hours, 0.5, UITextAlignmentRight}, {Field::Minutes, 0.5, UITextAlignmentRight}};
    case UIDatePickerModeDateAndTime:
    default:
        return {{Field::Days, 0.43, UITextAlignmentRight}, {Field::Hour12, 0.19, UITextAlignmentRight},
                {Field::Minute, 0.19, UITextAlignmentLeft}, {Field::Meridiem, 0.19, UITextAlignmentLeft}};
    }
}

CFGregorianDate fieldsOf(NSTimeInterval since1970) { return CFAbsoluteTimeGetGregorianDate(since1970 - NSClock::referenceDateSince1970); }
NSTimeInterval timeOf(const CFGregorianDate& g) { return CFGregorianDateGetAbsoluteTime(g) + NSClock::referenceDateSince1970; }

CFGregorianDate noon(int year, int month, int day)
{
    CFGregorianDate g;
    g.year = year;
    g.month = static_cast<int8_t>(month);
    g.day = static_cast<int8_t>(day);
    g.hour = 12;
    return g;
}

int daysInMonth(int year, int month)
{
    // Day 0 of the next month is this month's last.
    CFGregorianDate g = noon(year, month + 1, 0);
    return fieldsOf(timeOf(g)).day;
}

const CFGregorianDate kFirstDay = noon(1970, 1, 1);

NSInteger dayIndex(const CFGregorianDate& g)
{
    return static_cast<NSInteger>(std::lround((timeOf(noon(g.year, g.month, g.day)) - timeOf(kFirstDay)) / 86400));
}

CFGregorianDate dayAt(NSInteger index)
{
    // Whole days from noon never cross a day whatever the clocks do.
    return fieldsOf(timeOf(kFirstDay) + index * 86400.0);
}

// The date-and-time day wheel counts days from 1 January 1970 to the end of
// 2099.
NSInteger daysOnWheel()
{
    static const NSInteger days = dayIndex(noon(2100, 1, 1));
    return days;
}

NSString monthName(int month, bool abbreviated)
{
    static const char* const names[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
    const std::string name = names[(month - 1 + 12) % 12];
    return NSString(abbreviated ? name.substr(0, 3) : name);
}

}  // namespace

// The date picker's wheels serve themselves; the picker is their superview.
class NXDateWheels : public UIPickerView, public UIPickerViewDataSource, public UIPickerViewDelegate {
public:
    UIDatePicker* picker() const { return dynamic_cast<UIDatePicker*>(superview()); }

    NSInteger numberOfComponentsInPickerView(UIPickerView*) override { return static_cast<NSInteger>(wheelKinds().size()); }
    NSInteger pickerView_numberOfRowsInComponent(UIPickerView*, NSInteger component) override;
    NSString pickerView_titleForRow_forComponent(UIPickerView*, NSInteger row, NSInteger component) override;
    std::optional<CGFloat> pickerView_widthForComponent(UIPickerView*, NSInteger component) override;

    // The wheels show the picker's value: at once, or turning there.
    void show(bool animated);
    // The mode, interval or limits changed since the wheels were laid out.
    void refreshIfStale();

    void drawRect(CGRect rect) override
    {
        refreshIfStale();
        UIPickerView::drawRect(rect);
    }
    void touchesBegan(const NSSetOfTouches& t, UIEvent* e) override
    {
        refreshIfStale();
        UIPickerView::touchesBegan(t, e);
    }

protected:
    UITextAlignment alignmentForComponent(NSInteger component) const override { return wheelKinds()[component].alignment; }
    CGRect titleFrameInWheel(CGRect wheel, NSInteger component) const override;
    bool rowEnabled(NSInteger row, NSInteger component) const override;
    void userDidSelectRow(NSInteger row, NSInteger component) override;
    void drawOverWheels() override;

private:
    struct Layout {
        UIDatePickerMode mode;
        NSInteger interval;
        std::optional<NSTimeInterval> minimum, maximum;
        bool operator==(const Layout&) const = default;
    };
    std::vector<WheelKind> wheelKinds() const { return wheelsOf(picker() ? picker()->datePickerMode : UIDatePickerModeDateAndTime); }
    NSInteger interval() const;
    NSInteger period(Field f) const;
    NSInteger valueOfRow(Field f, NSInteger row) const { return period(f) ? row % period(f) : row; }
    // The values every wheel shows at rest.
    std::vector<NSInteger> selectedValues() const;
    std::vector<NSInteger> valuesOf(NSTimeInterval value) const;
    // The date (or count-down) the values give, the picker's date supplying
    // what the wheels do not show; the day is kept within its month.
    NSTimeInterval compose(const std::vector<NSInteger>& values) const;
    NSTimeInterval withinLimits(NSTimeInterval date) const;
    std::optional<Layout> layout_;
};

NSInteger NXDateWheels::interval() const
{
    const NSInteger i = picker() ? picker()->minuteInterval : 1;
    return i >= 1 && i <= 30 && 60 % i == 0 ? i : 1;
}

NSInteger NXDateWheels::period(Field f) const
{
    switch (f) {
    case Field::Month: return 12;
    case Field::Day: return 31;
    case Field::Hour12: return 12;
    case Field::Hours: return 24;
    case Field::Minute:
    case Field::Minutes: return 60 / interval();
    default: return 0;
    }
}

NSInteger NXDateWheels::pickerView_numberOfRowsInComponent(UIPickerView*, NSInteger component)
{
    const auto s = wheelKinds();
    if (component < 0 || component >= static_cast<NSInteger>(s.size())) return 0;
    const Field f = s[component].field;
    if (period(f)) return period(f) * kLaps;
    return f == Field::Year ? kYears : (f == Field::Days ? daysOnWheel() : 2);
}

NSString NXDateWheels::pickerView_titleForRow_forComponent(UIPickerView*, NSInteger row, NSInteger component)
{
    const Field f = wheelKinds()[component].field;
    const NSInteger v = valueOfRow(f, row);
    switch (f) {
    case Field::Month: return monthName(static_cast<int>(v) + 1, false);
    case Field::Day:
    case Field::Year: return NSString::stringWithFormat("%ld", static_cast<long>(v + 1));
    case Field::Days: {
        if (v == dayIndex(fieldsOf(NSClock::timeIntervalSince1970()))) return "Today";
        static const char* const weekdays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
        const CFGregorianDate g = dayAt(v);
        const int weekday = CFAbsoluteTimeGetDayOfWeek(CFGregorianDateGetAbsoluteTime(g));
        return NSString::stringWithFormat("%s %@ %d", weekdays[weekday - 1], monthName(g.month, true), static_cast<int>(g.day));
    }
    case Field::Hour12: return NSString::stringWithFormat("%ld", static_cast<long>(v == 0 ? 12 : v));
    case Field::Minute: return NSString::stringWithFormat("%02ld", static_cast<long>(v * interval()));
    case Field::Meridiem: return v == 0 ? "AM" : "PM";
    case Field::Hours: return NSString::stringWithFormat("%ld", static_cast<long>(v));
    case Field::Minutes: return NSString::stringWithFormat("%ld", static_cast<long>(v * interval()));
    }
    return NSString();
}

std::optional<CGFloat> NXDateWheels::pickerView_widthForComponent(UIPickerView*, NSInteger component)
{
    const auto s = wheelKinds();
    const CGFloat shared = bounds().size.width - 18 - 4 * (static_cast<CGFloat>(s.size()) - 1);
    return std::floor(std::max<CGFloat>(shared, 0) * s[component].share);
}

CGRect NXDateWheels::titleFrameInWheel(CGRect wheel, NSInteger component) const
{
    // Count-down numbers stand left of their unit, which the band carries.
    if (wheelKinds()[component].field == Field::Hours || wheelKinds()[component].field == Field::Minutes)
        return CGRectMake(wheel.origin.x + 8, wheel.origin.y, wheel.size.width * 0.42 - 8, wheel.size.height);
    return CGRectInset(wheel, 6, 0);
}

void NXDateWheels::drawOverWheels()
{
    const auto s = wheelKinds();
    const auto font = UIFont::boldSystemFontOfSize(17);
    const CGFloat lineHeight = sizeWithFont("h", font).height;
    CGContextRef c = UIGraphicsGetCurrentContext();
    CGContextSetRGBFillColor(c, 0, 0, 0, 1);
    const auto values = selectedValues();
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i].field != Field::Hours && s[i].field != Field::Minutes) continue;
        const CGRect wheel = rectForComponent(static_cast<NSInteger>(i));
        const bool one = values[i] * (s[i].field == Field::Minutes ? interval() : 1) == 1;
        const NSString unit = s[i].field == Field::Hours ? (one ? "hour" : "hours") : (one ? "min" : "mins");
        drawInRect(unit, CGRectMake(wheel.origin.x + wheel.size.width * 0.42 + 6, CGRectGetMidY(bounds()) - lineHeight / 2,
                                    wheel.size.width * 0.58 - 6, lineHeight),
                   font, UILineBreakModeClip, UITextAlignmentLeft);
    }
}

std::vector<NSInteger> NXDateWheels::selectedValues() const
{
    const auto s = wheelKinds();
    std::vector<NSInteger> values(s.size());
    for (size_t i = 0; i < s.size(); ++i)
        values[i] = valueOfRow(s[i].field, std::max<NSInteger>(selectedRowInComponent(static_cast<NSInteger>(i)), 0));
    return values;
}

std::vector<NSInteger> NXDateWheels::valuesOf(NSTimeInterval value) const
{
    const auto s = wheelKinds();
    std::vector<NSInteger> values;
    const CFGregorianDate g = fieldsOf(value);
    const auto minutes = static_cast<NSInteger>(value / 60);
    for (const auto& wheel : s) {
        switch (wheel.field) {
        case Field::Month: values.push_back(g.month - 1); break;
        case Field::Day: values.push_back(g.day - 1); break;
        case Field::Year: values.push_back(std::clamp<NSInteger>(g.year - 1, 0, kYears - 1)); break;
        case Field::Days: values.push_back(std::clamp<NSInteger>(dayIndex(g), 0, daysOnWheel() - 1)); break;
        case Field::Hour12: values.push_back(g.hour % 12); break;
        case Field::Minute: values.push_back(g.minute / interval()); break;
        case Field::Meridiem: values.push_back(g.hour >= 12 ? 1 : 0); break;
        case Field::Hours: values.push_back(minutes / 60); break;
        case Field::Minutes: values.push_back(minutes % 60 / interval()); break;
        }
    }
    return values;
}

NSTimeInterval NXDateWheels::compose(const std::vector<NSInteger>& values) const
{
    const auto s = wheelKinds();
    auto* p = picker();
    if (p && p->datePickerMode == UIDatePickerModeCountDownTimer) {
        NSTimeInterval seconds = 0;
        for (size_t i = 0; i < s.size(); ++i)
            seconds += s[i].field == Field::Hours ? values[i] * 3600.0 : values[i] * interval() * 60.0;
        // The wheels never rest on no time at all.
        return seconds > 0 ? seconds : interval() * 60.0;
    }
    CFGregorianDate g = fieldsOf(p ? p->date() : 0);
    int hour12 = g.hour % 12;
    bool pm = g.hour >= 12;
    for (size_t i = 0; i < s.size(); ++i) {
        const auto v = static_cast<int>(values[i]);
        switch (s[i].field) {
        case Field::Month: g.month = static_cast<int8_t>(v + 1); break;
        case Field::Day: g.day = static_cast<int8_t>(v + 1); break;
        case Field::Year: g.year = v + 1; break;
        case Field::Days: {
            const CFGregorianDate d = dayAt(v);
            g.year = d.year;
            g.month = d.month;
            g.day = d.day;
            break;
        }
        case Field::Hour12: hour12 = v; break;
        case Field::Minute: g.minute = static_cast<int8_t>(v * interval()); break;
        case Field::Meridiem: pm = v == 1; break;
        default: break;
        }
    }
    g.hour = static_cast<int8_t>(hour12 + (pm ? 12 : 0));
    g.day = static_cast<int8_t>(std::min<int>(g.day, daysInMonth(g.year, g.month)));
    return timeOf(g);
}

NSTimeInterval NXDateWheels::withinLimits(NSTimeInterval date) const
{
    if (auto* p = picker()) {
        if (p->minimumDate) date = std::max(date, *p->minimumDate);
        if (p->maximumDate) date = std::min(date, *p->maximumDate);
    }
    return date;
}

bool NXDateWheels::rowEnabled(NSInteger row, NSInteger component) const
{
    auto* p = picker();
    if (!p || p->datePickerMode == UIDatePickerModeCountDownTimer) return true;
    const Field f = wheelKinds()[component].field;
    auto values = selectedValues();
    values[component] = valueOfRow(f, row);
    if (f == Field::Day) {
        const CFGregorianDate g = fieldsOf(p->date());
        const auto s = wheelKinds();
        int year = g.year, month = g.month;
        for (size_t i = 0; i < s.size(); ++i) {
            if (s[i].field == Field::Year) year = static_cast<int>(values[i]) + 1;
            if (s[i].field == Field::Month) month = static_cast<int>(values[i]) + 1;
        }
        if (values[component] + 1 > daysInMonth(year, month)) return false;
    }
    const NSTimeInterval date = compose(values);
    const bool wholeDays = f == Field::Month || f == Field::Day || f == Field::Year || f == Field::Days;
    NSTimeInterval first = date, last = date;
    if (wholeDays) {
        CFGregorianDate g = fieldsOf(date);
        g.hour = g.minute = 0;
        g.second = 0;
        first = timeOf(g);
        ++g.day;
        last = timeOf(g) - 1;
    }
    return !(p->minimumDate && last < *p->minimumDate) && !(p->maximumDate && first > *p->maximumDate);
}

void NXDateWheels::show(bool animated)
{
    auto* p = picker();
    if (!p) return;
    reloadAllComponents();
    const auto s = wheelKinds();
    const auto wanted = valuesOf(p->datePickerMode == UIDatePickerModeCountDownTimer ? p->countDownDuration() : p->date());
    for (size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<NSInteger>(i);
        const NSInteger per = period(s[i].field);
        const NSInteger row = selectedRowInComponent(c);
        if (isSpinning(c)) continue;
        if (animated && row >= 0 && valueOfRow(s[i].field, row) != wanted[i]) {
            // The nearest row with the value, going round the shorter way.
            NSInteger target = wanted[i];
            if (per) {
                NSInteger step = (wanted[i] - row % per + per) % per;
                if (step > per / 2) step -= per;
                target = row + step;
            }
            turnTo(target, c, 0.3);
        } else {
            selectRow(per ? kLaps / 2 * per + wanted[i] : wanted[i], c, false);
        }
    }
}

void NXDateWheels::refreshIfStale()
{
    auto* p = picker();
    if (!p) return;
    const Layout now{p->datePickerMode, interval(), p->minimumDate, p->maximumDate};
    if (layout_ == now) return;
    layout_ = now;
    p->date_ = withinLimits(p->date_);
    show(false);
}

void NXDateWheels::userDidSelectRow(NSInteger, NSInteger)
{
    auto* p = picker();
    if (!p) return;
    auto keep = p->self();
    const NSTimeInterval value = compose(selectedValues());
    bool changed;
    if (p->datePickerMode == UIDatePickerModeCountDownTimer) {
        changed = value != p->countDown_;
        p->countDown_ = value;
    } else {
        const NSTimeInterval date = withinLimits(value);
        changed = date != p->date_;
        p->date_ = date;
    }
    // Wheels on a value the picker cannot take turn back to the one it took.
    show(true);
    if (changed) p->sendActionsForControlEvents(UIControlEventValueChanged);
}

UIDatePicker::UIDatePicker() : date_(NSClock::timeIntervalSince1970()) {}

UIPickerView* UIDatePicker::wheels() const
{
    if (!wheels_) {
        auto* self = const_cast<UIDatePicker*>(this);
        self->wheels_ = std::make_shared<NXDateWheels>();
        wheels_->dataSource = wheels_;
        wheels_->delegate = wheels_;
        wheels_->showsSelectionIndicator = true;
        wheels_->setFrame(bounds());
        self->addSubview(wheels_);
    }
    return wheels_.get();
}

void UIDatePicker::setFrame(CGRect frame)
{
    UIControl::setFrame(NXPickerFrame(frame));
    wheels()->setFrame(bounds());
}

void UIDatePicker::layoutSubviews()
{
    UIControl::layoutSubviews();
    wheels()->setFrame(bounds());
}

void UIDatePicker::setDate(NSTimeInterval date, bool animated)
{
    if (minimumDate) date = std::max(date, *minimumDate);
    if (maximumDate) date = std::min(date, *maximumDate);
    date_ = date;
    wheels();
    wheels_->show(animated);
}

void UIDatePicker::setCountDownDuration(NSTimeInterval seconds)
{
    const double minutes = std::floor(std::clamp(seconds, 0.0, 86399.0) / 60);
    countDown_ = minutes * 60;
    wheels();
    wheels_->show(false);
}

void UIDatePicker::pick(NSTimeInterval value)
{
    if (datePickerMode == UIDatePickerModeCountDownTimer) setCountDownDuration(value);
    else setDate(value);
    sendActionsForControlEvents(UIControlEventValueChanged);
}
