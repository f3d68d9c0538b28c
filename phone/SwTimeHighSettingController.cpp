#include "phone/SwTimeHighSettingController.h"

#include <algorithm>

#include "app/AppText.h"
#include "app/MenuParts.h"
#include "app/PCTimeCommon.h"
#include "phone/PhoneParts.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/NSUserDefaults.h"
#include "protocol/XMLEscape.h"
#include "ui/UIBarButtonItemTint.h"

NX_REGISTER_CLASS(SwTimeHighSettingController, [] { return UIViewController::init<SwTimeHighSettingController>(); });

namespace {

// The school protect mode is asked for this long after the periods.
constexpr NSTimeInterval kSchoolModeDelay = 0.1;

// A period as a row of a weekday section.
class PeriodRow : public ArraySectionItem {
public:
    explicit PeriodRow(std::shared_ptr<TimeHighSettingDataStruct> period) : period_(std::move(period)) {}
    NSString titleStr() const override { return period_->titleStr(); }
    NSString titleStr_1() const override { return period_->titleStr_1(); }
    NSString remark() const override { return period_->remark(); }
    void setRemark(const NSString& remark) override { period_->setRemark(remark); }
    const std::shared_ptr<TimeHighSettingDataStruct>& period() const { return period_; }

private:
    std::shared_ptr<TimeHighSettingDataStruct> period_;
};

std::shared_ptr<UILabel> legend(CGRect frame)
{
    auto label = UILabel::initWithFrame(frame);
    label->font = UIFont::boldSystemFontOfSize(13);
    label->textColor = UIColor::whiteColor();
    label->setBackgroundColor(UIColor::clearColor());
    return label;
}

bool marksHoliday(const NSString& holiday)
{
    return !holiday.isNil() && holiday.length() > 0 && holiday != NSString("(null)") && holiday != NSString("0");
}

// The interface file: the home/school choice and the legend on top, the two
// side containers below, the toolbar at the bottom.
const bool kNib = (UINib::registerNib("SwTimeHighSettingController", [](NSObject* owner) {
    auto* screen = dynamic_cast<SwTimeHighSettingController*>(owner);
    auto self = std::static_pointer_cast<NSObject>(owner->shared_from_this());
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    view->setBackgroundColor(UIColor::colorWithRed(0.1, 0.12, 0.16, 1));
    screen->seg = UISegmentedControl::initWithItems({NSString(""), NSString("")});
    screen->seg->setFrame(CGRectMake(20, 20, 280, 32));
    screen->seg->setSelectedSegmentIndex(0);
    screen->seg->addTarget(self, NX_SEL(SwTimeHighSettingController, segValueChanged), UIControlEventValueChanged);
    screen->lblHomeTitle = legend(CGRectMake(10, 8, 300, 20));
    screen->ivHomeAllow = UIImageView::initWithFrame(CGRectMake(10, 38, 24, 18));
    screen->ivHomeAllow->setImage(UIImage::imageNamed("TimeHour_midle"));
    screen->lblHomeAllow = legend(CGRectMake(40, 36, 100, 22));
    screen->ivHomeForbidden = UIImageView::initWithFrame(CGRectMake(160, 38, 24, 18));
    screen->ivHomeForbidden->setImage(UIImage::imageNamed("TimeHour_midle_down"));
    screen->lblHomeForbidden = legend(CGRectMake(190, 36, 100, 22));
    screen->setHomeView = UIView::initWithFrame(CGRectMake(0, 70, 320, 290));
    screen->setSchoolView = UIView::initWithFrame(CGRectMake(0, 70, 320, 290));
    screen->lblSchoolTitle = legend(CGRectMake(10, 0, 300, 24));
    screen->lblSchoolTitle->textColor = UIColor::colorWithRed(1, 0.81, 0, 1);
    screen->lblSchoolTitle->font = UIFont::boldSystemFontOfSize(12);
    // The table ends above the toolbar.
    screen->tableView_ = UITableView::initWithFrame(CGRectMake(0, 26, 320, 227), UITableViewStylePlain);
    screen->tableView_->setBackgroundColor(UIColor::clearColor());
    screen->tableView_->setDataSource(std::dynamic_pointer_cast<UITableViewDataSource>(owner->shared_from_this()));
    screen->tableView_->setDelegate(std::dynamic_pointer_cast<UITableViewDelegate>(owner->shared_from_this()));
    screen->setSchoolView->addSubview(screen->lblSchoolTitle);
    screen->setSchoolView->addSubview(screen->tableView_);
    screen->toolBar = UIView::initWithFrame<UIToolbar>(CGRectMake(0, 323, 320, 44));
    for (const auto& v : std::vector<std::shared_ptr<UIView>>{screen->seg, screen->lblHomeTitle, screen->ivHomeAllow,
                                                              screen->lblHomeAllow, screen->ivHomeForbidden,
                                                              screen->lblHomeForbidden, screen->toolBar})
        view->addSubview(v);
    return std::vector<id>{view};
}), true);

}  // namespace

bool SwTimeHighSettingController::isSchool() const
{
    return NSUserDefaults::standardUserDefaults()->stringForKey("ManagerType") == NSString("School");
}

void SwTimeHighSettingController::viewDidLoad()
{
    seg->setTitle(L("timehightctrl_home"), 0);
    seg->setTitle(L("timehightctrl_school"), 1);
    lblHomeTitle->setText(L("timehightctrl_yellocoulduse"));
    lblHomeAllow->setText(L("timehightctrl_allow"));
    lblHomeForbidden->setText(L("timehightctrl_forbidden"));
    lblSchoolTitle->setText(L("timehightctrl_allowoutsidetimeset"));
    navigationItem()->setRightBarButtonItem(veskBarItem(L("timehightctrl_refresh"), std::static_pointer_cast<NSObject>(strong()),
                                                         NX_SEL0(SwTimeHighSettingController, refreshTimeHighSetting)));
    showOrHideToolBarItem(true);
    showOrHideToolBar(false);
    setHomeView->setTag(kHomeViewTag);
    setSchoolView->setTag(kSchoolViewTag);
    seg->setTag(kSegTag);
    setHomeView->setFrame(CGRectMake(0, 70, 320, 290));
    setSchoolView->setFrame(CGRectMake(0, 70, 320, 290));
    navigationItem()->title = L(isSchool() ? "timehightctrl_highsetting" : "timehightctrl_timesetting");
    showOrHiddenSeg(isSchool());
    tableView_->sectionHeaderHeight = 5;
    tableView_->sectionFooterHeight = 0;
    tableView_->setEditing(true, true);
}

void SwTimeHighSettingController::viewDidAppear(bool animated)
{
    UIViewController::viewDidAppear(animated);
    refreshTimeHighSetting();
}

void SwTimeHighSettingController::segValueChanged(const id&) { refreshTimeHighSetting(); }

void SwTimeHighSettingController::showOrHiddenSeg(bool shown)
{
    seg->setHidden(!shown);
    for (UIView* v : std::initializer_list<UIView*>{lblHomeTitle.get(), lblHomeAllow.get(), lblHomeForbidden.get(),
                                                    ivHomeAllow.get(), ivHomeForbidden.get()})
        v->setHidden(shown);
}

void SwTimeHighSettingController::showOrHideToolBar(bool shown) { toolBar->setHidden(!shown); }

void SwTimeHighSettingController::showOrHideToolBarItem(bool shown)
{
    if (!shown) {
        toolBar->setItems({});
        return;
    }
    const id self = std::static_pointer_cast<NSObject>(strong());
    auto add = barButtonItemWithTint(UIColor::colorWithRed(0, 0.85, 0, 1), L("timehightctrl_addsetting"), self,
                                     NX_SEL0(SwTimeHighSettingController, addTimeHighSetting));
    auto deleteAll = barButtonItemWithTint(UIColor::colorWithRed(0.85, 0, 0, 1), L("timehightctrl_deleteall"), self,
                                           NX_SEL0(SwTimeHighSettingController, deleteAllHightSeting));
    add->width = deleteAll->width = 70;
    toolBar->setItems({UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemFlexibleSpace, nullptr, SEL{}),
                       add, deleteAll});
}

void SwTimeHighSettingController::removeViewByTag(NSInteger tag)
{
    if (UIView* v = view()->viewWithTag(tag)) v->removeFromSuperview();
}

void SwTimeHighSettingController::switchView(NSInteger index)
{
    removeViewByTag(index ? kHomeViewTag : kSchoolViewTag);
    view()->addSubview(index ? setSchoolView : setHomeView);
    view()->bringSubviewToFront(toolBar.get());
}

void SwTimeHighSettingController::refreshTimeHighSetting()
{
    const NSInteger index = seg->selectedSegmentIndex();
    switchView(index);
    // The add and delete-all items serve the school side's periods.
    showOrHideToolBar(index != 0);
    if (index != 0) {
        ++generation_;
        destroyTableViewDataArray();
        reloadTableViewData();
        getData();
        // The protect mode follows a moment later, on the run loop's clock.
        std::weak_ptr<SwTimeHighSettingController> weak = strong();
        NSTimer::scheduledTimerWithTimeInterval(kSchoolModeDelay, false, [weak](NSTimer&) {
            if (auto screen = weak.lock()) screen->getSchoolModeSetting();
        });
        return;
    }
    if (UIView* old = setHomeView->viewWithTag(kTimeLimitTag)) old->removeFromSuperview();
    homeGrid_ = UIViewController::init<TimeLimitViewController>();
    homeGrid_->view()->setFrame(CGRectMake(0, 0, 320, 292));
    homeGrid_->view()->setTag(kTimeLimitTag);
    homeGrid_->setShouldLoadSchool(isSchool());
    setHomeView->addSubview(homeGrid_->view());
}

void SwTimeHighSettingController::getData()
{
    addHud(L("timehightctrl_loading"));
    // Which periods are kept is read now, on the main thread.
    const bool school = showsSchool();
    const unsigned generation = generation_;
    std::weak_ptr<SwTimeHighSettingController> weak = strong();
    NSThread::detachNewThreadWithBlock([weak, school, generation] {
        auto reply = TimeInfo::shareTimeInfo()->RQTimePeriodList();
        NSThread::performBlockOnMainThread([weak, reply, school, generation] {
            auto screen = weak.lock();
            // A list read before a later refresh or change of the parent's is
            // no longer the truth: it would bring a deleted period back.
            if (screen && screen->generation_ == generation) screen->showPeriods(reply, school);
        }, false);
    });
}

bool SwTimeHighSettingController::showsSchool() const { return !seg->hidden() && seg->selectedSegmentIndex() != 0; }

void SwTimeHighSettingController::showPeriods(const std::shared_ptr<TiemPeriodVo>& reply, bool school)
{
    if (reply) {
        for (const auto& p : reply->list()) {
            if (!p) continue;
            NX_LOG("sttm:%@ week:%@ , count:%d\n", p->sttm(), p->week(), static_cast<int>(reply->list().size()));
            if ((p->type() == NSString("1")) != school) continue;
            auto period = std::make_shared<TimeHighSettingDataStruct>();
            period->setTitleStr(NSString::stringWithFormat("%@", p->sttm()));
            period->setTitleStr_1(NSString::stringWithFormat("%@", p->edtm()));
            period->setDetailStr(NSString::stringWithFormat("%@", p->week()));
            period->setType(NSString::stringWithFormat("%@", p->type()));
            period->setRemark(NSString::stringWithFormat("%@", p->remark()));
            period->setHoliday(NSString::stringWithFormat("%@", p->holiday()));
            addTableViewDataByDataStruct(period, false);
        }
    }
    dispatchData();
    reloadTableViewData();
    hideHUD();
}

void SwTimeHighSettingController::dispatchData()
{
    std::vector<std::vector<std::shared_ptr<TimeHighSettingDataStruct>>> days(kWeekdays);
    for (const auto& period : periods()) {
        const std::string week = period->detailStr().isNil() ? std::string() : period->detailStr().str();
        size_t start = 0;
        while (start <= week.size()) {
            const size_t comma = std::min(week.find(',', start), week.size());
            const NSString piece(week.substr(start, comma - start));
            const int day = piece.intValue();
            if (piece.length() > 0 && day >= 1 && day <= kWeekdays) days[static_cast<size_t>(day - 1)].push_back(period);
            start = comma + 1;
        }
    }
    // A new set of seven sections: overlapping refreshes never add up.
    mTableSectionData.clear();
    for (int i = 0; i < kWeekdays; ++i) {
        const auto& day = days[static_cast<size_t>(i)];
        std::vector<std::shared_ptr<ArraySectionItem>> rows;
        for (const auto& period : day) rows.push_back(std::make_shared<PeriodRow>(period));
        auto section = ArraySectionController::initWithArray(std::move(rows), strong());
        section->setHoliday(!day.empty() && marksHoliday(day.front()->holiday()) ? L("timehightctrl_holiday") : NSString(""));
        section->setTitle(getDateStrByIndex(i + 1));
        section->setTitleTextColor(UIColor::whiteColor());
        section->setTitleAlternativeTextColor(UIColor::whiteColor());
        section->setUseOnlyWhiteImages(true);
        NSLog("arrayController.title %@", section->title());
        mTableSectionData.push_back(section);
    }
}

NSString SwTimeHighSettingController::getDateStrByIndex(int index)
{
    static const char* const keys[] = {"timehightctrl_monday",   "timehightctrl_tuesday", "timehightctrl_wednesday",
                                       "timehightctrl_thursday", "timehightctrl_friday",  "timehightctrl_saturday",
                                       "timehightctrl_sunday"};
    return index >= 1 && index <= kWeekdays ? L(keys[index - 1]) : NSString();
}

void SwTimeHighSettingController::getSchoolModeSetting() { loadTimeConfig(strong(), &SwTimeHighSettingController::updateSchoolModeSetting); }

void SwTimeHighSettingController::updateSchoolModeSetting(const std::shared_ptr<ProtectSettingReturnMessage>& reply)
{
    if (!reply) return;
    const int mode = reply->cmdType1().intValue();
    NX_LOG("cmdType1 %i", mode);
    const NSString now = L("timehightctrl_nowschoolprotectmode");
    switch (mode) {
    case 0: lblSchoolTitle->setText(NSString::stringWithFormat("%@%@", now, L("timehightctrl_closenet"))); break;
    case 1: lblSchoolTitle->setText(NSString::stringWithFormat("%@%@", now, L("timehightctrl_lockscreen"))); break;
    case 2:
        lblSchoolTitle->setText(
            NSString::stringWithFormat("%@%@+%@", now, L("timehightctrl_closenet"), L("timehightctrl_lockscreen")));
        break;
    default: lblSchoolTitle->setText(L("timehightctrl_allowoutsidetimeset"));
    }
}

const std::vector<std::shared_ptr<TimeHighSettingDataStruct>>& SwTimeHighSettingController::periods() const
{
    static const std::vector<std::shared_ptr<TimeHighSettingDataStruct>> none;
    return mTableViewData ? *mTableViewData : none;
}

void SwTimeHighSettingController::initTableViewDataArray()
{
    if (!mTableViewData) mTableViewData.emplace();
}

void SwTimeHighSettingController::clearTableViewDataArray()
{
    if (mTableViewData) mTableViewData->clear();
    setTableEditByEditTag(false);
}

void SwTimeHighSettingController::destroyTableViewDataArray()
{
    mTableViewData.reset();
    mTableSectionData.clear();
}

void SwTimeHighSettingController::deleteDataStructFromDataArrayByDataIndex(NSInteger index)
{
    if (index < 0 || index >= getTableViewDataCount()) return;
    mTableViewData->erase(mTableViewData->begin() + index);
    if (mTableViewData->empty()) setTableEditByEditTag(false);
}

bool SwTimeHighSettingController::addTableViewDataByDataStruct(const std::shared_ptr<TimeHighSettingDataStruct>& period,
                                                               bool showErr)
{
    initTableViewDataArray();
    for (const auto& held : *mTableViewData)
        if (held->sameAs(*period)) {
            if (showErr) Constant_alert(L("timehightctrl_settingexist"), nullptr);
            return false;
        }
    mTableViewData->push_back(period);
    return true;
}

void SwTimeHighSettingController::reloadTableViewData()
{
    tableView_->reloadData();
    tableView_->setEditing(getTableViewDataCount() > 0, false);
}

NSString SwTimeHighSettingController::periodBody(size_t from, size_t to) const
{
    NSString body = deviceBody("<BODY><BID>%@</BID>");
    if (body.isNil()) return body;
    std::string text = body.str();
    const auto& held = periods();
    for (size_t i = from; i < to && i < held.size(); ++i) {
        const auto& p = *held[i];
        const NSString element = XMLFormat("<List><STTM>%@</STTM><EDTM>%@</EDTM><Week>%@</Week><Type>%@</Type></List>",
                                           p.titleStr(), p.titleStr_1(), p.detailStr(), p.type());
        NX_LOG("getSubmissionStr  %@", element);
        text += element.str();
    }
    return text + "</BODY></MSG>";
}

NSString SwTimeHighSettingController::getSubmissionStr() const
{
    return periods().empty() ? NSString() : periodBody(0, periods().size());
}

NSString SwTimeHighSettingController::getSubmissionStrByIndex(NSInteger index) const
{
    if (index < 0 || index >= getTableViewDataCount()) return NSString();
    return periodBody(static_cast<size_t>(index), static_cast<size_t>(index) + 1);
}

void SwTimeHighSettingController::addTimeHighSetting()
{
    auto editor = AddTimeViewCtrl::init();
    editor->delegate = strong();
    if (auto* nav = navigationController()) nav->pushViewController(editor, true);
}

void SwTimeHighSettingController::AddTimeViewCtrl_addTimeViewCallBack(AddTimeViewCtrl*,
                                                                     const std::shared_ptr<TimeHighSettingDataStruct>& record)
{
    // The editor composes every period as a home one; added from the school
    // side it is a school period, or it would be listed on neither side.
    if (record && showsSchool()) record->setType("1");
    if (!addTableViewDataByDataStruct(record, true)) return;
    ++generation_;
    addData(getSubmissionStr());
}

void SwTimeHighSettingController::addData(const NSString& body)
{
    std::weak_ptr<SwTimeHighSettingController> weak = strong();
    NSThread::detachNewThreadWithBlock([weak, body] {
        auto reply = body.isNil() ? nullptr : TimeInfo::shareTimeInfo()->ADTimePeriod(body);
        if (!commandSucceeded(reply)) return;  // the table shows the truth at the next refresh
        NX_LOG("ADTimePeriod:%@", reply->desc());
        NSThread::performBlockOnMainThread([weak] {
            if (auto screen = weak.lock()) flashHud(screen->view().get(), L("serviceBackMessage_ok"));
        }, false);
    });
}

void SwTimeHighSettingController::deleteAllHightSeting() { deleteAll(getSubmissionStr()); }

void SwTimeHighSettingController::deleteAll(const NSString& body)
{
    sendDelete(body, [](SwTimeHighSettingController& screen) { screen.deleteAllComplete(); });
}

void SwTimeHighSettingController::deleteAllComplete()
{
    clearTableViewDataArray();
    dispatchData();
    reloadTableViewData();
}

void SwTimeHighSettingController::deleteOneKey(NSInteger index)
{
    lastIndex = index;
    const bool held = index >= 0 && index < getTableViewDataCount();
    deleteOne(getSubmissionStrByIndex(index), held ? periods()[static_cast<size_t>(index)] : nullptr);
}

void SwTimeHighSettingController::deleteOne(const NSString& body, const std::shared_ptr<TimeHighSettingDataStruct>& period)
{
    sendDelete(body, [period](SwTimeHighSettingController& screen) { screen.deleteOneComplete(period); });
}

void SwTimeHighSettingController::deleteOneComplete(const std::shared_ptr<TimeHighSettingDataStruct>& deleted)
{
    if (!deleted) return;
    const auto& held = periods();
    NSInteger at = lastIndex;
    if (at < 0 || at >= getTableViewDataCount() || !held[static_cast<size_t>(at)]->sameAs(*deleted)) {
        auto found = std::find_if(held.begin(), held.end(), [&](const auto& p) { return p->sameAs(*deleted); });
        if (found == held.end()) return;
        at = found - held.begin();
    }
    deleteDataStructFromDataArrayByDataIndex(at);
    dispatchData();
    reloadTableViewData();
}

void SwTimeHighSettingController::sendDelete(const NSString& body,
                                             std::function<void(SwTimeHighSettingController&)> completion)
{
    NX_LOG("deleteData info: %@", body);
    if (body.isNil() || body.length() == 0) {
        flashHud(view().get(), L("timehightctrl_nodata"));
        return;
    }
    ++generation_;
    std::weak_ptr<SwTimeHighSettingController> weak = strong();
    NSThread::detachNewThreadWithBlock([weak, body, completion = std::move(completion)] {
        auto reply = TimeInfo::shareTimeInfo()->DELTimePeriodList(body);
        if (!commandSucceeded(reply)) return;  // the table keeps its rows
        NX_LOG("删除%@", reply->desc());
        NSThread::performBlockOnMainThread([weak, completion] {
            auto screen = weak.lock();
            if (!screen) return;
            completion(*screen);
            flashHud(screen->view().get(), L("serviceBackMessage_ok"));
        }, false);
    });
}

NSInteger SwTimeHighSettingController::tableView_numberOfRowsInSection(UITableView*, NSInteger section)
{
    return section >= 0 && static_cast<size_t>(section) < mTableSectionData.size()
               ? mTableSectionData[static_cast<size_t>(section)]->numberOfRow()
               : 0;
}

std::shared_ptr<UITableViewCell> SwTimeHighSettingController::tableView_cellForRowAtIndexPath(UITableView*, NSIndexPath ip)
{
    if (ip.section < 0 || static_cast<size_t>(ip.section) >= mTableSectionData.size()) return nullptr;
    return mTableSectionData[static_cast<size_t>(ip.section)]->cellForRow(ip.row);
}

void SwTimeHighSettingController::tableView_didSelectRowAtIndexPath(UITableView*, NSIndexPath ip)
{
    if (ip.section >= 0 && static_cast<size_t>(ip.section) < mTableSectionData.size())
        mTableSectionData[static_cast<size_t>(ip.section)]->didSelectCellAtRow(ip.row);
}

void SwTimeHighSettingController::tableView_commitEditingStyle_forRowAtIndexPath(UITableView*,
                                                                            UITableViewCellEditingStyle style,
                                                                            NSIndexPath ip)
{
    if (style != UITableViewCellEditingStyleDelete || ip.row < 1 || ip.section < 0 ||
        static_cast<size_t>(ip.section) >= mTableSectionData.size())
        return;
    const auto& rows = mTableSectionData[static_cast<size_t>(ip.section)]->content();
    if (static_cast<size_t>(ip.row - 1) >= rows.size()) return;
    auto* row = dynamic_cast<PeriodRow*>(rows[static_cast<size_t>(ip.row - 1)].get());
    if (!row) return;
    const auto& held = periods();
    auto at = std::find(held.begin(), held.end(), row->period());
    if (at != held.end()) deleteOneKey(at - held.begin());
}

void SwTimeHighSettingController::addHud(const NSString& text) { ::addHud(view().get(), text); }

void SwTimeHighSettingController::hideHUD() { ::hideHUD(view().get()); }
