#pragma once
// The records tab of the PC set: the parent picks web records, software
// records or screen captures and a day of the last three, then searches; a
// link opens the black lists.

#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIPickerView.h"

class SwRecordHomeViewController : public UIViewController {
public:
    static constexpr NSInteger kDatePickerTag = 80080, kBlackListButtonTag = 80081, kPickerLabelTag = 80083,
                               kSegmentTag = 80084;

    int selectSearchType = 0;  // 0 web records, 1 software records, 2 screen captures
    NSString selectDate_;      // "yyyy-MM-dd"

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidUnload() override { selectDate_ = NSString(); }

    void segValueChange(const id& sender);
    void datePickerValueChanged();
    void blackListBtnCallBack(const id& sender);
    void sureBtnCallBack(const id& sender);

private:
    void initUI();
};
