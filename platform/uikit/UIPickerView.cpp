#include "platform/uikit/UIPickerView.h"

#include <algorithm>
#include <cmath>

NSInteger UIPickerView::numberOfComponents() const
{
    auto ds = dataSource.lock();
    return ds ? std::max<NSInteger>(ds->numberOfComponentsInPickerView(const_cast<UIPickerView*>(this)), 0) : 0;
}

NSInteger UIPickerView::numberOfRowsInComponent(NSInteger component) const
{
    auto ds = dataSource.lock();
    if (!ds || component < 0 || component >= numberOfComponents()) return 0;
    return std::max<NSInteger>(ds->pickerView_numberOfRowsInComponent(const_cast<UIPickerView*>(this), component), 0);
}

void UIPickerView::reloadAllComponents()
{
    const NSInteger n = numberOfComponents();
    selected_.resize(n, 0);
    for (NSInteger c = 0; c < n; ++c) {
        const NSInteger rows = numberOfRowsInComponent(c);
        selected_[c] = rows == 0 ? -1 : std::clamp<NSInteger>(selected_[c], 0, rows - 1);
    }
}

void UIPickerView::selectRow(NSInteger row, NSInteger component, bool)
{
    reloadAllComponents();
    if (component < 0 || component >= static_cast<NSInteger>(selected_.size())) return;
    if (row < 0 || row >= numberOfRowsInComponent(component)) return;
    selected_[component] = row;
}

NSInteger UIPickerView::selectedRowInComponent(NSInteger component) const
{
    if (component >= 0 && component < static_cast<NSInteger>(selected_.size())) return selected_[component];
    return numberOfRowsInComponent(component) > 0 ? 0 : -1;
}

NSString UIPickerView::titleForRow(NSInteger row, NSInteger component) const
{
    auto d = delegate.lock();
    return d ? d->pickerView_titleForRow_forComponent(const_cast<UIPickerView*>(this), row, component) : NSString();
}

void UIPickerView::pickRow(NSInteger row, NSInteger component)
{
    selectRow(row, component, true);
    if (selectedRowInComponent(component) != row) return;
    auto keep = self();
    if (auto d = delegate.lock()) d->pickerView_didSelectRow_inComponent(this, row, component);
}

void UIDatePicker::setDate(NSTimeInterval date, bool)
{
    if (minimumDate) date = std::max(date, *minimumDate);
    if (maximumDate) date = std::min(date, *maximumDate);
    date_ = date;
}

void UIDatePicker::setCountDownDuration(NSTimeInterval seconds)
{
    const double minutes = std::floor(std::clamp(seconds, 0.0, 86399.0) / 60);
    countDown_ = minutes * 60;
}

void UIDatePicker::pick(NSTimeInterval value)
{
    if (datePickerMode == UIDatePickerModeCountDownTimer) setCountDownDuration(value);
    else setDate(value);
    sendActionsForControlEvents(UIControlEventValueChanged);
}
