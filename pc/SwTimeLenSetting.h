#pragma once
// The daily allowance page of the time-settings tab: hours (0 ... 24) and
// minutes on an endless picker, sent to the service as minutes.

#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIPickerView.h"
#include "protocol/ProtectSetting.h"

class SwTimeLenSetting : public UIView, public UIPickerViewDataSource, public UIPickerViewDelegate {
public:
    static constexpr NSInteger kPickerTag = 60011;
    static constexpr NSInteger kPickerRows = 16384;
    static std::shared_ptr<SwTimeLenSetting> initWithFrame(CGRect frame);

    void reload();
    void updateView(const std::shared_ptr<ProtectSettingReturnMessage>& reply);
    // Puts a column on the value, near the middle of its rows.
    void pickerViewLoaded(int value, int component);
    void submissionBtnClicked(const id& sender);
    void switchValueChanged(const id& sender);
    // The allowance in minutes the picker shows: 24 hours are 1440 whatever the minutes.
    int selectedAllowance() const;

    UILabel* lblSelectTime() const { return lblSelectTime_.get(); }
    UISwitch* switchBtn() const { return switchBtn_.get(); }
    UIPickerView* picker() const;

    NSInteger numberOfComponentsInPickerView(UIPickerView*) override { return 2; }
    NSInteger pickerView_numberOfRowsInComponent(UIPickerView*, NSInteger) override { return kPickerRows; }
    NSString pickerView_titleForRow_forComponent(UIPickerView* pv, NSInteger row, NSInteger component) override;
    void pickerView_didSelectRow_inComponent(UIPickerView* pv, NSInteger row, NSInteger component) override;

private:
    std::shared_ptr<SwTimeLenSetting> strong() { return std::static_pointer_cast<SwTimeLenSetting>(shared_from_this()); }
    void initUI();
    void addPickerLabel(const NSString& text, CGFloat rightX, CGFloat top, CGFloat height);
    void showSelection(int hours, int minutes);

    std::shared_ptr<UILabel> lblSelectTime_;
    std::shared_ptr<UISwitch> switchBtn_;
    bool isSwitchOn = false;
};
