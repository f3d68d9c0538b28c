#pragma once
// The picker view (data source and delegate) and the date picker.

#include "platform/uikit/UIControl.h"

class UIPickerView;

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

class UIPickerView : public UIView {
public:
    static std::shared_ptr<UIPickerView> initWithFrame(CGRect frame) { return UIView::initWithFrame<UIPickerView>(frame); }
    std::weak_ptr<UIPickerViewDataSource> dataSource;
    std::weak_ptr<UIPickerViewDelegate> delegate;
    bool showsSelectionIndicator = false;

    NSInteger numberOfComponents() const;
    NSInteger numberOfRowsInComponent(NSInteger component) const;
    // In code: no delegate call. Rows outside the component are ignored.
    void selectRow(NSInteger row, NSInteger component, bool animated);
    // -1 when nothing is selected there.
    NSInteger selectedRowInComponent(NSInteger component) const;
    // The title the delegate gives for a row.
    NSString titleForRow(NSInteger row, NSInteger component) const;
    void reloadAllComponents();
    void reloadComponent(NSInteger component) { reloadAllComponents(); }

    // Test driver: the user spins a component to a row.
    void pickRow(NSInteger row, NSInteger component);

private:
    std::vector<NSInteger> selected_;
};

enum UIDatePickerMode : NSInteger {
    UIDatePickerModeTime = 0,
    UIDatePickerModeDate = 1,
    UIDatePickerModeDateAndTime = 2,
    UIDatePickerModeCountDownTimer = 3,
};

// Dates are seconds since 1970 until the Foundation dates are here.
class UIDatePicker : public UIControl {
public:
    static std::shared_ptr<UIDatePicker> initWithFrame(CGRect frame) { return UIView::initWithFrame<UIDatePicker>(frame); }
    UIDatePickerMode datePickerMode = UIDatePickerModeDateAndTime;
    NSTimeInterval date() const { return date_; }
    // Kept within the minimum and maximum dates; in code no event is sent.
    void setDate(NSTimeInterval date, bool animated = false);
    std::optional<NSTimeInterval> minimumDate, maximumDate;
    // Count-down mode: whole minutes below a day.
    NSTimeInterval countDownDuration() const { return countDown_; }
    void setCountDownDuration(NSTimeInterval seconds);
    NSInteger minuteInterval = 1;

    // Test driver: the user picks a date (or duration in count-down mode):
    // value-changed follows.
    void pick(NSTimeInterval value);

private:
    NSTimeInterval date_ = 0;
    NSTimeInterval countDown_ = 0;
};
