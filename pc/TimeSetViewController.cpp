#include "pc/TimeSetViewController.h"

#include "app/PCTimeCommon.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSLog.h"
#include "protocol/TimeInfo.h"

NX_REGISTER_CLASS(TimeSetViewController, [] { return UIViewController::init<TimeSetViewController>(); });

namespace {

const CGRect kChildFrame = CGRectMake(0, 70, 320, 291);

// The interface file: the segmented control above the pages.
const bool kNib = (UINib::registerNib("TimeSetViewController", [](NSObject* owner) {
    auto* screen = dynamic_cast<TimeSetViewController*>(owner);
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 367));
    view->setBackgroundColor(UIColor::colorWithRed(0.1, 0.12, 0.16, 1));
    screen->seg = UISegmentedControl::initWithItems({"", "", ""});
    screen->seg->setFrame(CGRectMake(10, 20, 300, 36));
    screen->seg->setSelectedSegmentIndex(0);
    screen->seg->addTarget(std::static_pointer_cast<NSObject>(owner->shared_from_this()),
                           NX_SEL(TimeSetViewController, callBackSegmentValueChange), UIControlEventValueChanged);
    view->addSubview(screen->seg);
    return std::vector<id>{view};
}), true);

}  // namespace

void TimeSetViewController::viewDidLoad()
{
    navigationItem()->title = L("timesetviewctrl_timeset");
    seg->setTitle(L("timesetviewctrl_timerangeset"), 0);
    seg->setTitle(L("timesetviewctrl_timelenset"), 1);
    seg->setTitle(L("timesetviewctrl_periodset"), 2);
    showSettingTimeHour();
}

void TimeSetViewController::callBackSegmentValueChange(const id&)
{
    clearNavigatonItem();
    switch (seg->selectedSegmentIndex()) {
    case 2:
        showHightSetting();
        if (auto* list = dynamic_cast<TimeHighSetting*>(view()->viewWithTag(kPeriodTag))) {
            list->SetParentViewController(this);
            list->setTableEditByEditTag(true);
        }
        break;
    case 0:
        showSettingTimeHour();
        break;
    default:
        showSettingTimeLen();
        break;
    }
}

void TimeSetViewController::clearNavigatonItem()
{
    navigationItem()->setLeftBarButtonItem(nullptr);
    navigationItem()->setRightBarButtonItem(nullptr);
    navigationItem()->titleView = nullptr;
}

void TimeSetViewController::removeChildViews()
{
    for (NSInteger tag : {kAllowanceTag, kHourTag, kPeriodTag})
        if (auto* child = view()->viewWithTag(tag)) child->removeFromSuperview();
}

void TimeSetViewController::place(const std::shared_ptr<UIView>& child, NSInteger tag)
{
    child->setTag(tag);
    child->setBackgroundColor(UIColor::clearColor());
    view()->addSubview(child);
}

void TimeSetViewController::showSettingTimeHour()
{
    removeChildViews();
    auto hours = TimeHourSetting::initWithFrame(kChildFrame);
    place(hours, kHourTag);
    // The page fills the tab down to the tab bar; the navigation bar, free on
    // this page, carries the grid's sync controls in place of the title.
    navigationItem()->titleView = hours->grid()->syncControls;
}

void TimeSetViewController::showSettingTimeLen()
{
    removeChildViews();
    place(SwTimeLenSetting::initWithFrame(kChildFrame), kAllowanceTag);
}

void TimeSetViewController::showHightSetting()
{
    removeChildViews();
    auto list = TimeHighSetting::initWithFrame(kChildFrame);
    list->delegate = strong();
    list->setTag(kPeriodTag);
    list->setBackgroundColor(UIColor::clearColor());
    addHud(view().get(), L("timesetviewctrl_loading"));
    if (auto periods = TimeInfo::shareTimeInfo()->RQTimePeriodList()) {
        for (const auto& period : periods->list()) {
            auto record = std::make_shared<TimeHighSettingDataStruct>();
            record->setTitleStr(NSString::stringWithFormat("%@", period->sttm()));
            record->setTitleStr_1(NSString::stringWithFormat("%@", period->edtm()));
            record->setDetailStr(NSString::stringWithFormat("%@", period->week()));
            record->setType(NSString::stringWithFormat("%@", period->type()));
            list->addTableViewDataByDataStruct(record, false);
            NX_LOG("%@  %@ , %d", record->titleStr(), record->detailStr(), static_cast<int>(list->getTableViewDataCount()));
        }
    }
    view()->addSubview(list);
    hideHUD(view().get());
    list->reloadTableViewData();
}

// ---- Bar buttons --------------------------------------------------------------------

void TimeSetViewController::addTimeHightNavigationBarItem()
{
    auto self = std::static_pointer_cast<NSObject>(strong());
    auto* list = dynamic_cast<TimeHighSetting*>(view()->viewWithTag(kPeriodTag));
    const bool hasRows = list && list->getTableViewDataCount() > 0;
    if (hasRows && list->isTableViewEdit())
        navigationItem()->setLeftBarButtonItem(
            veskBarItem(L("timesetviewctrl_deleteall"), self, NX_SEL0(TimeSetViewController, deleteALlTimeHighSetting)));
    else
        navigationItem()->setLeftBarButtonItem(
            veskBarItem(L("timesetviewctrl_add"), self, NX_SEL0(TimeSetViewController, addTimeHighSettingTableViewValue)));
    if (hasRows) {
        navigationItem()->setRightBarButtonItem(
            veskBarItem(L("timesetviewctrl_edit"), self, NX_SEL0(TimeSetViewController, editTimeHighSettingTableView)));
    } else {
        navigationItem()->setRightBarButtonItem(nullptr);
        mIsEditTimeHighSetTableView = false;
        if (list) list->showOrHiddenSubmission(false);
    }
}

void TimeSetViewController::editTimeHighSettingTableView()
{
    mIsEditTimeHighSetTableView = !mIsEditTimeHighSetTableView;
    if (auto* list = dynamic_cast<TimeHighSetting*>(view()->viewWithTag(kPeriodTag)))
        list->setTableEditByEditTag(mIsEditTimeHighSetTableView);
    addTimeHightNavigationBarItem();
}

void TimeSetViewController::deleteALlTimeHighSetting()
{
    if (auto* list = dynamic_cast<TimeHighSetting*>(view()->viewWithTag(kPeriodTag))) list->deleteAllHightSeting(nullptr);
}

void TimeSetViewController::addTimeHighSettingTableViewValue()
{
    auto editor = AddTimeViewCtrl::init();
    editor->delegate = strong();
    if (auto* nav = navigationController()) nav->pushViewController(editor, true);
}

void TimeSetViewController::timeHighSettingView_DeletItemCallBack(TimeHighSetting*, bool) { addTimeHightNavigationBarItem(); }

// ---- The countdown view's host side ---------------------------------------------------------

void TimeSetViewController::timeLenSetting_timeLenViewCallBack(TimeLenSetting*, const id&)
{
    auto picker = TimeSelectViewController::init();
    picker->setDelegate(strong());
    if (auto* nav = navigationController()) nav->pushViewController(picker, true);
}

void TimeSetViewController::timeLenSetting_timeCountDown(TimeLenSetting*, bool counting) { isShowNavigationEditBtn(counting); }

void TimeSetViewController::isShowNavigationEditBtn(bool show)
{
    if (show)
        navigationItem()->setRightBarButtonItem(veskBarItem(L("timesetviewctrl_edit"), std::static_pointer_cast<NSObject>(strong()),
                                                              NX_SEL0(TimeSetViewController, editTimeLenSettingTableView)));
    else
        navigationItem()->setRightBarButtonItem(nullptr);
}

void TimeSetViewController::editTimeLenSettingTableView()
{
    auto* countDown = dynamic_cast<TimeLenSetting*>(view()->viewWithTag(kCountDownTag));
    if (!countDown) return;
    mIsEditTimeLenSetTableView = !mIsEditTimeLenSetTableView;
    countDown->editTableView(mIsEditTimeLenSetTableView);
}

void TimeSetViewController::timeSelectViewController_timeSelectViewCallBack(TimeSelectViewController*, double seconds)
{
    setCountDownTimeShow(seconds);
}

void TimeSetViewController::setCountDownTimeShow(double seconds)
{
    auto* countDown = dynamic_cast<TimeLenSetting*>(view()->viewWithTag(kCountDownTag));
    if (!countDown) return;
    countDown->setTimeLabelValue(seconds);
    countDown->saveCurCountDownTimeToFile(seconds);
    countDown->reloadTableVIewDataByTimeValue(seconds);
    countDown->setCurCountDownTime(seconds);
    countDown->addCountDownTime();
}
