#pragma once
// The location map's day picker: a dark rounded panel with a date picker, the
// chosen day as text ("yyyy-MM-dd") and OK and cancel buttons that tell the
// delegate.

#include <memory>

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIPickerView.h"

class MapDatePickerViewDelegate {
public:
    virtual ~MapDatePickerViewDelegate() = default;
    virtual void btnOkClicked(const NSString& day) = 0;
    virtual void btnCancelClicked() = 0;
};

class MapDatePickerView : public UIView {
public:
    static constexpr NSInteger kDatePickerTag = 77000;

    static std::shared_ptr<MapDatePickerView> initWithFrame(CGRect frame);

    std::shared_ptr<UILabel> lblSelectDate;
    std::weak_ptr<MapDatePickerViewDelegate> delegate;

    void datePickerValueChanged();
    void btnOkClicked();
    void btnCancelClicked();

private:
    void initUI();
};
