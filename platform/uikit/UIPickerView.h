#pragma once
// The picker view (data source and delegate) and the date picker, drawn and
// touched as on the device: a wheel per component, rows 44 points apart, a
// selection band across the middle, 216 points high.

#include "platform/uikit/UIControl.h"

class UIPickerView;
class NXDateWheels;

class UIPickerViewDataSource {
public:
    virtual ~UIPickerViewDataSource() = default;
    virtual NSInteger numberOfComponentsInPickerView(UIPickerView* pv) = 0;
    virtual NSInteger pickerView_numberOfRowsInComponent(UIPickerView* pv, NSInteger component) = 0;
};

class UIPickerViewDelegate {
public:
    virtual ~UIPickerViewDelegate() = default;
    virtual NSString pickerView_titleForRow_forComponent(UIPickerView* pv, NSInteger row, NSInteger component) { return NSString(); }
    virtual void pickerView_didSelectRow_inComponent(UIPickerView* pv, NSInteger row, NSInteger component) {}
    virtual std::optional<CGFloat> pickerView_widthForComponent(UIPickerView* pv, NSInteger component) { return std::nullopt; }
    virtual std::optional<CGFloat> pickerView_rowHeightForComponent(UIPickerView* pv, NSInteger component) { return std::nullopt; }
};

// The picker's height on the phone: any frame is laid out at 162, 180 or 216
// points (216 from 216 up, and for a frame without height), as the device
// does; a frame without width is 320 wide.
CGRect NXPickerFrame(CGRect frame);

class UIPickerView : public UIView {
public:
    static std::shared_ptr<UIPickerView> initWithFrame(CGRect frame) { return UIView::initWithFrame<UIPickerView>(frame); }
    static constexpr CGFloat kRowHeight = 44;
    std::weak_ptr<UIPickerViewDataSource> dataSource;
    std::weak_ptr<UIPickerViewDelegate> delegate;
    bool showsSelectionIndicator = false;

    void setFrame(CGRect frame) override { UIView::setFrame(NXPickerFrame(frame)); }
    void setBounds(CGRect bounds) override;

    NSInteger numberOfComponents() const;
    NSInteger numberOfRowsInComponent(NSInteger component) const;
    // In code: no delegate call, the wheel stops where it is and shows the
    // row. Rows outside the component are ignored.
    void selectRow(NSInteger row, NSInteger component, bool animated);
    // -1 when nothing is selected there. A wheel still turning keeps the row
    // it last came to rest on.
    NSInteger selectedRowInComponent(NSInteger component) const;
    // The title the delegate gives for a row.
    NSString titleForRow(NSInteger row, NSInteger component) const;
    void reloadAllComponents();
    void reloadComponent(NSInteger component) { reloadAllComponents(); }
    CGFloat rowHeightForComponent(NSInteger component) const;
    // Where a component's wheel lies in the bounds: the delegate's widths, or
    // the width shared out, side by side and centred between the picker's
    // edges.
    CGRect rectForComponent(NSInteger component) const;
    // The row at a point of the bounds as the wheels stand now; -1 outside
    // the wheels or their rows.
    NSInteger rowAtPoint(CGPoint p, NSInteger* component) const;
    // Whether a wheel is still turning after the finger let go.
    bool isSpinning(NSInteger component) const;

    // A finger drags the wheel under it; let go, the wheel turns on with the
    // finger's speed, slows down and comes to rest on the row nearest to where
    // it would stop (on the run loop's clock). A tap on a row turns it into
    // the band. A wheel that comes to rest on another row sends
    // didSelectRow.
    void touchesBegan(const NSSetOfTouches& t, UIEvent* e) override;
    void touchesMoved(const NSSetOfTouches& t, UIEvent* e) override;
    void touchesEnded(const NSSetOfTouches& t, UIEvent* e) override;
    void touchesCancelled(const NSSetOfTouches& t, UIEvent* e) override;
    // The dark frame, white wheels shaded towards their edges, the titles of
    // the rows in sight and the band over the middle row.
    void drawRect(CGRect rect) override;

    // Test driver: the wheel is turned to the row and comes to rest there.
    void pickRow(NSInteger row, NSInteger component);

protected:
    // Hooks for pickers built on these wheels (the date picker).
    virtual UITextAlignment alignmentForComponent(NSInteger component) const { return UITextAlignmentLeft; }
    // Where the titles of a wheel's rows are placed across it.
    virtual CGRect titleFrameInWheel(CGRect wheel, NSInteger component) const { return CGRectInset(wheel, 10, 0); }
    // Rows that cannot be chosen now are drawn grey.
    virtual bool rowEnabled(NSInteger row, NSInteger component) const { return true; }
    // A wheel the user turned came to rest on another row.
    virtual void userDidSelectRow(NSInteger row, NSInteger component);
    // Drawn last, over the band (fixed texts in the band).
    virtual void drawOverWheels() {}
    // The wheel shows the row (moving there), the selection follows at rest.
    void turnTo(NSInteger row, NSInteger component, NSTimeInterval duration);

private:
    struct Wheel {
        NSInteger selected = -1;
        CGFloat offset = 0;  // scrolled points: row r rests at r * row height
        // The turn under way, when the finger has let go.
        CGFloat from = 0, to = 0;
        NSTimeInterval start = 0, duration = 0;
        unsigned generation = 0;
        bool spinning = false;
    };
    struct Finger {
        NSInteger component = -1;
        CGFloat startY = 0, startOffset = 0;
        CGFloat lastY = 0, previousY = 0;
        NSTimeInterval lastTime = 0, previousTime = 0;
        bool dragged = false;
    };
    CGFloat currentOffset(const Wheel& w) const;
    void stop(NSInteger component);
    void settle(NSInteger component, unsigned generation);
    NSInteger componentAtX(CGFloat x) const;
    std::vector<Wheel> wheels_;
    Finger finger_;
};

enum UIDatePickerMode : NSInteger {
    UIDatePickerModeTime = 0,
    UIDatePickerModeDate = 1,
    UIDatePickerModeDateAndTime = 2,
    UIDatePickerModeCountDownTimer = 3,
};

// Dates are seconds since 1970 until the Foundation dates are here. The
// wheels follow the mode, in the local time zone: date (month, day, year),
// time (hour, minute, AM/PM), date and time (day, hour, minute, AM/PM),
// count-down (hours, minutes). Month, day, hour and minute wheels go round
// endlessly; minutes step by minuteInterval. A date the user turns to
// outside the minimum or maximum date, or past the month's end, turns back
// to the nearest it may be; value-changed follows each change.
class UIDatePicker : public UIControl {
public:
    static std::shared_ptr<UIDatePicker> initWithFrame(CGRect frame) { return UIView::initWithFrame<UIDatePicker>(frame); }
    UIDatePicker();
    void setFrame(CGRect frame) override;
    UIDatePickerMode datePickerMode = UIDatePickerModeDateAndTime;
    NSTimeInterval date() const { return date_; }
    // Kept within the minimum and maximum dates; in code no event is sent.
    void setDate(NSTimeInterval date, bool animated = false);
    std::optional<NSTimeInterval> minimumDate, maximumDate;
    // Count-down mode: whole minutes below a day.
    NSTimeInterval countDownDuration() const { return countDown_; }
    void setCountDownDuration(NSTimeInterval seconds);
    NSInteger minuteInterval = 1;
    // The wheels (a picker view filling the date picker).
    UIPickerView* wheels() const;
    void layoutSubviews() override;

    // Test driver: the user picks a date (or duration in count-down mode):
    // value-changed follows.
    void pick(NSTimeInterval value);

private:
    friend class NXDateWheels;
    NSTimeInterval date_ = 0;
    NSTimeInterval countDown_ = 0;
    std::shared_ptr<NXDateWheels> wheels_;
};
