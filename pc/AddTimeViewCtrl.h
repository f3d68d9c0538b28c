#pragma once
// The period editor: a start time, an end time and the weekdays, handed to its
// delegate as one period record; and the weekday chooser it opens.

#include <map>

#include "platform/uikit/UIPickerView.h"
#include "platform/uikit/UIViewController.h"
#include "pc/TimeHighSettingDataStruct.h"

class AddTimeViewCtrl;
class addTimeHourSet;

class AddTimeViewCtrlDelegate {
public:
    virtual ~AddTimeViewCtrlDelegate() = default;
    virtual void AddTimeViewCtrl_addTimeViewCallBack(AddTimeViewCtrl* editor,
                                                     const std::shared_ptr<TimeHighSettingDataStruct>& record) = 0;
};

class AddTimeHourSetDelegate {
public:
    virtual ~AddTimeHourSetDelegate() = default;
    virtual void AddTimeHourSet_addTimeViewCallBack(addTimeHourSet* chooser, const std::map<NSString, NSString>& days) = 0;
};

class AddTimeViewCtrl : public UIViewController, public AddTimeHourSetDelegate {
public:
    static constexpr NSInteger kPickerTag = 510001, kWeekTag = 510002, kStartTag = 510003, kEndTag = 510004,
                               kStartRowTag = 510005, kEndRowTag = 510006;
    static std::shared_ptr<AddTimeViewCtrl> init();

    std::weak_ptr<AddTimeViewCtrlDelegate> delegate;
    std::shared_ptr<TimeHighSettingDataStruct> getCurDataStruct() const { return mCurDataStruct; }

    void datePickValueChangeCallBack(const id& sender);
    void FirstImgBtnCallBack(const id& sender);
    void secondImgBtnCallBack(const id& sender);
    void hoverBtnCallBack(const id& sender);
    void AddTimeHourSet_addTimeViewCallBack(addTimeHourSet* chooser, const std::map<NSString, NSString>& days) override;
    void sureBtnCallBack();
    void cancelBtnCallBack();
    static NSString getDateStrByIndex(int day);

private:
    void initUI();
    void setLabelValue(const NSString& text, double seconds);
    void showAlertByAlertInfo(const NSString& text);
    UIButton* row(NSInteger tag);

    std::shared_ptr<TimeHighSettingDataStruct> mCurDataStruct = std::make_shared<TimeHighSettingDataStruct>();
    double mStartTime = 0, mEndTime = 0;
};

class addTimeHourSet : public UIViewController {
public:
    static constexpr NSInteger kRowTag = 60000, kTickTag = 70000;
    static std::shared_ptr<addTimeHourSet> init();

    // "0" (Monday) ... "6" -> "1" chosen or "0".
    std::map<NSString, NSString> dateTagValueDic;
    std::weak_ptr<AddTimeHourSetDelegate> delegate;

    void setImageViewShowByDateDictionary(const std::map<NSString, NSString>& days);
    void BtnCallBack(const id& sender);
    void backBtnCallBack();
    static NSString getDateStrByIndex(int index);

private:
    void initUI();
    void showSelectImageByImageIndex(int index, bool show);
};
