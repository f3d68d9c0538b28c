#pragma once
// The home page of a supervised phone: its state and today's alerts in the
// top line, the restrict mode, the location map, and the one-key screen lock
// and network cut.

#include "app/EquipSelectController.h"
#include "platform/uikit/UIScrollView.h"
#include "protocol/HomeInfo.h"
#include "ui/DetailTextView.h"
#include "ui/LoadingBoxView.h"

class PhoneHomeViewCtrl : public UIViewController, public EquipSelectCtrlDelegate, public CAAnimationDelegate {
public:
    static constexpr NSInteger kAlertImageTag = 210001, kAlertButtonTag = 211012, kAlertDetailTag = 210002,
                               kDetailRowTag = 210009, kOneKeyPanelTag = 210007, kNetButtonTag = 211010,
                               kLockButtonTag = 211011, kRestrictPanelTag = 212002, kRestrictButtonTag = 212011,
                               kLocationPanelTag = 212003, kLocationButtonTag = 212010;
    // How far the panels move down while the alert detail shows.
    static constexpr CGFloat kDetailHeight = 125;
    // The detail rows start just below the 40-point alert line (which ends
    // at 63) rather than over its lower half, so that both stay readable.
    static constexpr CGFloat kDetailTop = 66;

    static std::shared_ptr<PhoneHomeViewCtrl> init();

    bool isShowAlertDetailInfo() const { return mIsShowAlertDetailInfo; }
    void setIsShowAlertDetailInfo(bool show) { mIsShowAlertDetailInfo = show; }
    UIScrollView* scrollView() const { return mRootScrollView.get(); }
    DetailTextView* alertLine() const { return mTopAlertClewLabel.get(); }
    UIButton* netButton() const { return oneKeyCloseNet.get(); }
    UIButton* lockButton() const { return oneKeyLockScreen.get(); }
    UIButton* restrictButton() const;
    UILabel* detailValue(int row) const;
    bool isCut() const { return mIsCut; }
    bool isLock() const { return mIsLock; }
    bool switchOn() const { return isSwitchOn; }
    LoadingBoxView* loadingBox() const { return loading.get(); }

    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewDidUnload() override;
    void initData();
    void updateView(const std::shared_ptr<HomeInfoReturnMessage>& reply);
    void updateView();
    void reflasehBtnCallBack(const id& sender);
    void changeBtnCallBack(const id& sender);
    void EquipSelectCtrl_DeviceSelecttCallBack(EquipSelectController* chooser, const id& nothing) override;
    void switchChanged();
    void showInfo(const std::shared_ptr<MessageInfo>& reply);
    void onekeyLockScreenCallBack(const id& sender);
    void oneKeyCloseNetCallBack(const id& sender);
    void topAlertClewBtnCallBack(const id& sender);
    // A detail row: today's blocked items of its kind (0 harmful sites, 1
    // forbidden sites, 2 forbidden programs) in a list pushed on the stack;
    // nothing when there are none.
    void topAlertClewDetailBtnCallBack(const id& sender);
    void toLocation();
    void addHud(const NSString& text);
    void hideHUD();
    void clearAll();
    void resetAlertBtnImageByShowTag(bool show);
    void resetAlertClewViewState(bool shown);

private:
    std::shared_ptr<PhoneHomeViewCtrl> strong() { return std::static_pointer_cast<PhoneHomeViewCtrl>(shared_from_this()); }
    void initUI();
    void addTopAlertView();
    void addAlertDetailInfoView();
    void addRestrictModuleView();
    void addLocationModuleView();
    void addOneKeyOptionView();
    void sendSwitchSet(const NSString& unlimited);
    // The shared steps of the one-key buttons: the refusals, the command
    // chosen by the state, and the outcome shown and refreshed.
    enum class OneKey { Lock, Cut };
    void oneKey(OneKey which);
    void setNetState(bool cut);
    void setLockState(bool locked);
    void setRestrictState(bool on);
    void showNavigationTitle();

    std::shared_ptr<UIScrollView> mRootScrollView;
    bool mIsShowAlertDetailInfo = false;
    std::shared_ptr<LoadingBoxView> loading;
    std::shared_ptr<DetailTextView> mTopAlertClewLabel;
    std::shared_ptr<UILabel> mTopAlertDetailClewFirst, mTopAlertDetailClewSecond, mTopAlertDetailClewThird;
    std::shared_ptr<UIButton> oneKeyCloseNet, oneKeyLockScreen;
    bool mIsCut = false;
    bool mIsLock = false;
    bool isSwitchOn = false;
    std::shared_ptr<UILabel> lblOneKeyCloseNetInfo, lblOneKeyLockScrInfo, lblRestrictModuleInfo;
};
