#pragma once
// The PC home page: the supervised PC's status and today's use, the alert bar
// with its three alert rows, and the one-key commands that cut the network
// or lock the screen and undo either.

#include "app/EquipSelectController.h"
#include "platform/uikit/UINavigationController.h"
#include "protocol/HomeInfo.h"
#include "ui/LoadingBoxView.h"

class HomeViewCtrl : public UIViewController, public EquipSelectCtrlDelegate {
public:
    static constexpr NSInteger kAlertBarTag = 210001, kAlertPanelTag = 210002, kOneKeyPanelTag = 210007,
                               kFirstAlertRowTag = 210009, kCutButtonTag = 211010, kLockButtonTag = 211011,
                               kAlertBarButtonTag = 211012, kInfoPanelTag = 212000;

    std::shared_ptr<UIScrollView> mRootScrollView;
    std::shared_ptr<UILabel> mTopAlertClewLabel, mTopAlertDetailClewFirst, mTopAlertDetailClewSecond,
        mTopAlertDetailClewThird, mCurrentOpenRecordFirst, mCurrentOpenRecordSecond, mCurrentOpenRecordFirstTime,
        mCurrentOpenRecordSecondTime, mTodayUserOnline, mTodayUserOpenComputerTime, mTodayUserLastOpenComputerTime,
        mTodayUserComputerTotalTime;
    std::shared_ptr<UIButton> oneKeyCloseNet, oneKeyLockScreen;
    bool mIsCut = false;
    bool mIsLock = false;

    // "%d h %d min" and its shorter forms of a count of minutes.
    static NSString getHourStrByMinStr(const NSString& minutes);

    void loadView() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;

    void initData();
    void updateView(const std::shared_ptr<HomeInfoReturnMessage>& reply);
    void reflasehBtnCallBack(const id& sender);
    void changeBtnCallBack(const id& sender);
    void topAlertClewBtnCallBack(const id& sender);
    void topAlertClewDetailBtnCallBack(const id& sender);
    void onekeyLockScreenCallBack(const id& sender);
    void oneKeyCloseNetCallBack(const id& sender);
    void clearAll();
    void EquipSelectCtrl_DeviceSelecttCallBack(EquipSelectController* chooser, const id& nothing) override;

private:
    std::shared_ptr<HomeViewCtrl> strong() { return std::static_pointer_cast<HomeViewCtrl>(shared_from_this()); }
    void initUI();
    void buildInfoPanel();
    void buildOneKeyPanel();
    void addAlertDetailInfoView();
    void resetAlertBtnImageByShowTag(bool alerts);
    void resetAlertClewViewState(bool open);
    // Sends the command the flag chooses; the button and flag follow success.
    void oneKey(UIButton* button, bool& flag, bool isLock);
    void setButton(UIButton* button, const char* titleKey, bool green);

    std::shared_ptr<LoadingBoxView> loading;
    std::shared_ptr<UIImageView> alertBar_;
    // Every load takes the next number; a reply is applied only when no later
    // load (or device change) has started since, so a late reply for an
    // earlier device never fills the page.
    unsigned loadNumber_ = 0;
};
