#include "pc/TimeLimitViewController.h"

#include "app/PCTimeCommon.h"
#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UIImage.h"
#include "protocol/Constant.h"
#include "protocol/TimeInfo.h"

namespace {

// The interface file: the day selector above the grid. The sync switch and
// the choice of the grid a synced save also goes to sit side by side in one
// bar of their own, which the screen places where there is room for it:
// the day selector, six rows of 34 points and the toolbar at y 250 fill the
// 291-point page that the hosts embed.
const bool kNib = (UINib::registerNib("TimeLimitViewController", [](NSObject* owner) {
    auto* screen = dynamic_cast<TimeLimitViewController*>(owner);
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 291));
    screen->daySelected = UISegmentedControl::initWithItems({"", "", "", "", "", "", ""});
    screen->daySelected->setFrame(CGRectMake(4, 4, 312, 30));
    screen->daySelected->segmentedControlStyle = UISegmentedControlStyleBar;
    screen->disableTimeView = UIView::initWithFrame(CGRectMake(0, 40, 320, 204));
    screen->syncControls = UIView::initWithFrame(CGRectMake(0, 0, 300, 30));
    screen->syncWebAndSoft = UISwitch::initWithFrame(CGRectMake(0, 1, 0, 0));
    screen->sync = UISegmentedControl::initWithItems({"", ""});
    screen->sync->setFrame(CGRectMake(104, 0, 196, 30));
    screen->sync->segmentedControlStyle = UISegmentedControlStyleBar;
    screen->sync->setSelectedSegmentIndex(0);
    screen->syncControls->addSubview(screen->syncWebAndSoft);
    screen->syncControls->addSubview(screen->sync);
    auto self = std::static_pointer_cast<NSObject>(owner->shared_from_this());
    screen->daySelected->addTarget(self, NX_SEL(TimeLimitViewController, dayValueChanged), UIControlEventValueChanged);
    screen->syncWebAndSoft->addTarget(self, NX_SEL(TimeLimitViewController, switchValueChanged), UIControlEventValueChanged);
    screen->sync->addTarget(self, NX_SEL(TimeLimitViewController, syncChange), UIControlEventValueChanged);
    view->addSubview(screen->daySelected);
    view->addSubview(screen->disableTimeView);
    return std::vector<id>{view};
}), true);

}  // namespace

// ---- The codec ----------------------------------------------------------------

unsigned TimeLimitViewController::formatTimeSetFromString(const NSString& text)
{
    unsigned stat = 0;
    if (text.isNil()) {
        stat = 15;
    } else if (text.length() > 6) {
        auto fields = text.componentsSeparatedByString(",");
        if (fields.size() >= 4)
            for (unsigned i = 0; i < 4; ++i)
                if (fields[i] == "0") stat |= 1u << i;
    } else if (text.length() == 1) {
        stat = text == "0" ? 15 : 0;
    } else if (text.length() == 4) {
        for (unsigned i = 0; i < 4; ++i)
            if (text.characterAtIndex(i) == u'0') stat |= 1u << i;
    }
    NX_LOG("string %@ to time %i", text, stat);
    return stat;
}

NSString TimeLimitViewController::formatTimeSetFromInt(unsigned stat, int type)
{
    if (type != 0 && type != 1) return "";
    std::string out;
    for (unsigned i = 0; i < 4; ++i) {
        if (type == 0 && i > 0) out += ',';
        out += (stat & (1u << i)) ? '0' : '1';
    }
    NX_LOG("time %i to string %@", stat, NSString(out));
    return out;
}

std::vector<NSString> TimeLimitViewController::parseWeek(const NSString& gamePeriod)
{
    std::vector<NSString> list;
    if (!gamePeriod.isNil() && gamePeriod.length() > 0) {
        auto fields = gamePeriod.componentsSeparatedByString(",");
        NX_LOG("arr count:%i", static_cast<int>(fields.size()));
        if (fields.size() == kWeekHours) {
            list = fields;
        } else if (fields.size() == 4 * kWeekHours) {
            for (size_t k = 0; k < kWeekHours; ++k)
                list.push_back(NSString::stringWithFormat("%@,%@,%@,%@", fields[4 * k], fields[4 * k + 1],
                                                          fields[4 * k + 2], fields[4 * k + 3]));
        } else {
            for (size_t k = 0; k < kWeekHours; ++k)
                list.push_back(k < fields.size() && fields[k] == "0" ? "0000" : "1111");
        }
    }
    if (list.empty()) list.assign(kWeekHours, "0,0,0,0");
    return list;
}

NSString TimeLimitViewController::weekString(const std::vector<NSString>& list)
{
    std::string out;
    for (const auto& entry : list) {
        if (!out.empty()) out += ',';
        out += formatTimeSetFromInt(formatTimeSetFromString(entry), 1).str();
    }
    return out;
}

// ---- Building and loading ---------------------------------------------------------

void TimeLimitViewController::viewDidLoad()
{
    view()->setBackgroundColor(UIColor::clearColor());
    const char* days[] = {"sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday"};
    for (NSUInteger i = 0; i < 7; ++i)
        daySelected->setTitle(L(NSString::stringWithFormat("timelimitviewctrl_%s", days[i]).UTF8String()), i);
    // The grid a synced save goes to a second time: segment 1 the web sites',
    // segment 0 the programs' (where the first save goes as well).
    sync->setTitle(L("LimitViewctrl_softforbidden"), 0);
    sync->setTitle(L("LimitViewctrl_webforbidden"), 1);
    syncWebAndSoft->setOn(Constant::isSyncTimeAndSoftTimeSetting());
    index = static_cast<int>(sync->selectedSegmentIndex());

    const CGFloat w = static_cast<CGFloat>(static_cast<int>(disableTimeView->bounds().size.width * 0.25));
    timeArray = NSString("00:00,01:00,02:00,03:00,04:00,05:00,06:00,07:00,08:00,09:00,10:00,11:00,12:00,13:00,14:00,"
                         "15:00,16:00,17:00,18:00,19:00,20:00,21:00,22:00,23:00")
                    .componentsSeparatedByString(",");
    limitTimeList.clear();
    for (int i = 0; i < 24; ++i) {
        auto cell = CustomButton::initWithFrame(CGRectMake(w * (i % 4), 34 * (i / 4), w, 34));
        cell->setTag(kFirstHourTag + i);
        cell->setDelegate(strong());
        cell->setTitle(timeArray[i], UIControlStateNormal);
        cell->setTitleColor(UIColor::blackColor(), UIControlStateNormal);
        cell->setTitleLabelFont(UIFont::systemFontOfSize(13));
        disableTimeView->addSubview(cell);
    }
    buildToolbar();

    shouldLoadSchool_ = false;
    addHud(view().get(), L("timelimitviewctrl_loading"));
    startLoad();

    labExactTime = UILabel::initWithFrame(CGRectMake(20, 230, 280, 20));
    labExactTime->font = UIFont::systemFontOfSize(14);
    labExactTime->setText(L("timelimitviewctrl_exactTime"));
    labExactTime->textColor = UIColor::whiteColor();
    labExactTime->setBackgroundColor(UIColor::blackColor());
    labExactTime->textAlignment = UITextAlignmentCenter;
    labExactTime->adjustsFontSizeToFitWidth = true;
    view()->addSubview(labExactTime);
    std::weak_ptr<TimeLimitViewController> weak = strong();
    NSTimer::scheduledTimerWithTimeInterval(5.0, false, [weak](NSTimer&) {
        if (auto screen = weak.lock()) screen->removeLabTime();
    });
}

void TimeLimitViewController::buildToolbar()
{
    auto toolbar = UIToolbar::initWithFrame(CGRectMake(0, 250, 320, 48));
    toolbar->barStyle = UIBarStyleBlack;
    auto self = std::static_pointer_cast<NSObject>(strong());
    auto check = [&](NSInteger tag, SEL action) {
        auto b = UIButton::buttonWithType(UIButtonTypeCustom);
        b->setFrame(CGRectMake(0, 0, 20, 21));
        b->setBackgroundImage(UIImage::imageNamed("auto_login"), UIControlStateNormal);
        b->setBackgroundImage(UIImage::imageNamed("auto_login_yes"), UIControlStateSelected);
        b->setTag(tag);
        b->addTarget(self, action, UIControlEventTouchUpInside);
        return b;
    };
    auto caption = [&](const char* key, SEL action) {
        auto b = UIButton::buttonWithType(UIButtonTypeCustom);
        b->setFrame(CGRectMake(0, 0, 80, 21));
        b->setTitle(L(key), UIControlStateNormal);
        b->titleLabel()->font = UIFont::systemFontOfSize(13);
        b->addTarget(self, action, UIControlEventTouchUpInside);
        return UIBarButtonItem::initWithCustomView(b);
    };
    btnScr = check(kScreenButtonTag, NX_SEL(TimeLimitViewController, toProtectModeScr));
    btnNet = check(kNetButtonTag, NX_SEL(TimeLimitViewController, toProtectModeNet));
    toolbar->setItems({UIBarButtonItem::initWithCustomView(btnScr),
                       caption("protectsettingviewctrl_lockscreen", NX_SEL(TimeLimitViewController, toProtectModeScr)),
                       UIBarButtonItem::initWithCustomView(btnNet),
                       caption("protectsettingviewctrl_cutnet", NX_SEL(TimeLimitViewController, toProtectModeNet)),
                       UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemFlexibleSpace, nullptr, SEL()),
                       tintedBarItem(UIColor::colorWithRed(0, 0.85, 0, 1), L("timelimitviewctrl_submit"), self,
                                     NX_SEL(TimeLimitViewController, prepareCommit), 80)});
    view()->addSubview(toolbar);
}

void TimeLimitViewController::startLoad()
{
    std::weak_ptr<TimeLimitViewController> weak = strong();
    NSThread::detachNewThreadWithBlock([weak] {
        if (auto screen = weak.lock()) screen->didStarRequest();
    });
}

void TimeLimitViewController::viewWillAppear(bool animated)
{
    UIViewController::viewWillAppear(animated);
    // Pushed, the grid has the whole screen: the sync bar goes under the toolbar.
    if (navigationController() && !syncControls->superview()) {
        syncControls->setFrame(CGRectMake(10, 306, 300, 30));
        view()->addSubview(syncControls);
    }
}

void TimeLimitViewController::didStarRequest()
{
    auto request = TimeSetting::init();
    request->setDelegate(std::static_pointer_cast<TimeSettingDelegate>(strong()));
    request->RQGamePeriod();
}

void TimeLimitViewController::loadDataFinished(std::shared_ptr<TimeSettingReturnMessage> result)
{
    if (!result) {
        hideHUD(view().get());
        return;
    }
    limitTimeList = parseWeek(result->gamePeriod());
    auto today = NSCalendar::currentCalendar()->components(NSWeekdayCalendarUnit, NSDate::date());
    daySelected->setSelectedSegmentIndex(today.weekday() - 1);
    updateDisableTimeView();
    // The HUD stays until the protect mode has been read.
    std::weak_ptr<TimeLimitViewController> weak = strong();
    NSThread::performBlockOnMainThread([weak] {
        if (auto screen = weak.lock()) {
            screen->needLoadSchoolSetting();
            screen->notifyDelegate();
        }
    }, false);
}

void TimeLimitViewController::notifyDelegate()
{
    if (auto d = delegate.lock()) d->enableRightBarButtonItem();
}

void TimeLimitViewController::dayValueChanged(const id&)
{
    updateDisableTimeView();
    setSchoolSet();
}

void TimeLimitViewController::updateDisableTimeView()
{
    const NSInteger day = daySelected->selectedSegmentIndex();
    if (day < 0 || day > 6 || limitTimeList.size() < kWeekHours) return;
    for (int h = 0; h < 24; ++h)
        if (auto* cell = hourCell(h)) cell->setButtonState(formatTimeSetFromString(limitTimeList[day * 24 + h]));
}

CustomButton* TimeLimitViewController::hourCell(int hour) const
{
    return dynamic_cast<CustomButton*>(disableTimeView->viewWithTag(kFirstHourTag + hour));
}

// ---- Editing -------------------------------------------------------------------

void TimeLimitViewController::setEntry(int hour, unsigned stat)
{
    const NSInteger day = daySelected->selectedSegmentIndex();
    if (day < 0 || day > 6 || hour < 0 || hour > 23 || limitTimeList.size() < kWeekHours) return;
    limitTimeList[day * 24 + hour] = formatTimeSetFromInt(stat, 1);
}

void TimeLimitViewController::CustomButton_Clicked(CustomButton* cell, unsigned)
{
    if (cell->editableStat() == 15) return;
    cell->setAllEditableButtonState();
    setEntry(static_cast<int>(cell->tag() - kFirstHourTag), cell->stat());
}

void TimeLimitViewController::CustomButton_LongPressed(CustomButton* cell, unsigned stat)
{
    auto chooser = CustomAlertView::init(std::static_pointer_cast<UIAlertViewDelegate>(strong()));
    chooser->mdelegate = std::static_pointer_cast<CustomAlertViewDelegate>(strong());
    chooser->setTag(cell->tag());
    chooser->editableState = cell->editableStat();
    chooser->setButtonSelectedWithState(stat);
    chooser->show();
}

void TimeLimitViewController::CustomAlertView_buttonClicked(CustomAlertView* chooser, unsigned stat)
{
    NX_LOG("state:%i", stat);
    auto* cell = dynamic_cast<CustomButton*>(disableTimeView->viewWithTag(chooser->tag()));
    if (!cell) return;
    cell->setButtonState(stat);
    setEntry(static_cast<int>(chooser->tag() - kFirstHourTag), stat);
}

void TimeLimitViewController::alertView_clickedButtonAtIndex(UIAlertView*, NSInteger buttonIndex)
{
    if (buttonIndex == 0) Constant::setIsPromptTimeEdit(true);
}

// ---- Saving ----------------------------------------------------------------------

void TimeLimitViewController::prepareCommit(const id&) { commit(); }

void TimeLimitViewController::commit()
{
    addHud(view().get(), L("timelimitviewctrl_submitting"));
    hideHUD(view().get());
    if (limitTimeList.size() < kWeekHours) return;
    // Everything the worker needs is read here, on the main thread.
    const NSString week = weekString(limitTimeList);
    const bool synced = syncWebAndSoft->on();
    const int second = index;
    std::weak_ptr<TimeLimitViewController> weak = strong();
    NSThread::detachNewThreadWithBlock([weak, week, synced, second] {
        auto request = TimeSetting::init();
        auto reply = request->UDGamePeriod(week);
        const bool saved = reply && reply->code() == "0";
        if (saved && synced) {
            if (second != 0)
                request->UDUrlPeriod(week);
            else
                request->UDGamePeriod(week);
        }
        NSThread::performBlockOnMainThread([weak, saved, synced] {
            auto screen = weak.lock();
            if (!screen) return;
            if (saved) {
                addHud(screen->view().get(), L("timelimitviewctrl_editsuccess"));
                screen->updateCommit();
            } else if (!synced) {
                // A week the service did not take never ends with the protect mode's "ok".
                flashHud(screen->view().get(), resultText(false));
            }
        }, false);
    });
}

void TimeLimitViewController::updateCommit()
{
    if (btnNet->selected() || btnScr->selected()) {
        uploadProtectSet((btnNet->selected() ? 1 : 0) + (btnScr->selected() ? 2 : 0) - 1);
    } else {
        addHud(view().get(), L("protectsettingviewctrl_limitonemode"));
        std::weak_ptr<TimeLimitViewController> weak = strong();
        NSTimer::scheduledTimerWithTimeInterval(0.5, false, [weak](NSTimer&) {
            if (auto screen = weak.lock()) hideHUD(screen->view().get());
        });
    }
    notifyDelegate();
}

void TimeLimitViewController::uploadProtectSet(int cmdType)
{
    sendTimeConfig(view(), deviceBody("<BODY><BID>%@</BID><CmdType>%@</CmdType></BODY></MSG>",
                                      NSString::stringWithFormat("%i", cmdType)));
}

// ---- Protect mode ------------------------------------------------------------------

void TimeLimitViewController::loadProtectSet() { loadTimeConfig(strong(), &TimeLimitViewController::updateProtectSet); }

void TimeLimitViewController::updateProtectSet(const std::shared_ptr<ProtectSettingReturnMessage>& reply)
{
    if (reply) {
        const int v = reply->cmdType().intValue();
        btnScr->setSelected(v > 0);
        btnNet->setSelected(v % 2 == 0);
        NX_LOG("cmdType %i", v);
        NX_LOG("isNetStop %i", v % 2 == 0 ? 1 : 0);
        NX_LOG("isScreenHold %i", v > 0 ? 1 : 0);
    }
    hideHUD(view().get());
}

void TimeLimitViewController::toProtectModeScr(const id&)
{
    NX_LOG("toProtectModeScr");
    btnScr->setSelected(!btnScr->selected());
}

void TimeLimitViewController::toProtectModeNet(const id&)
{
    NX_LOG("toProtectModeNet");
    btnNet->setSelected(!btnNet->selected());
}

// ---- The rest ---------------------------------------------------------------------

void TimeLimitViewController::switchValueChanged(const id&) { Constant::isSyncTimeAndSoftTimeSetting(syncWebAndSoft->on()); }

void TimeLimitViewController::syncChange(const id&)
{
    index = static_cast<int>(sync->selectedSegmentIndex());
    reload();
}

void TimeLimitViewController::reload()
{
    addHud(view().get(), L("timelimitviewctrl_loading"));
    startLoad();
}

void TimeLimitViewController::goBack()
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}

void TimeLimitViewController::removeLabTime()
{
    if (labExactTime) labExactTime->removeFromSuperview();
}

// ---- School locks --------------------------------------------------------------------

namespace {

// Minutes of the day of an "HH:mm" time; nothing when it does not read so.
std::optional<int> minutesOfDay(const NSString& text)
{
    auto parts = text.isNil() ? std::vector<NSString>{} : text.componentsSeparatedByString(":");
    if (parts.size() != 2 || parts[0].length() == 0 || parts[1].length() == 0) return std::nullopt;
    const int h = parts[0].intValue(), m = parts[1].intValue();
    if (h < 0 || h > 23 || m < 0 || m > 59) return std::nullopt;
    return h * 60 + m;
}

}  // namespace

void TimeLimitViewController::needLoadSchoolSetting()
{
    if (!shouldLoadSchool_) {
        loadProtectSet();
        return;
    }
    mSchoolSet.clear();
    getSchoolData();
}

void TimeLimitViewController::getSchoolData()
{
    std::weak_ptr<TimeLimitViewController> weak = strong();
    NSThread::detachNewThreadWithBlock([weak] {
        std::vector<std::shared_ptr<TimeHighSettingDataStruct>> school;
        if (auto reply = TimeInfo::shareTimeInfo()->RQTimePeriodList()) {
            for (const auto& period : reply->list()) {
                if (period->type() != "1") continue;
                auto record = std::make_shared<TimeHighSettingDataStruct>();
                record->setTitleStr(NSString::stringWithFormat("%@", period->sttm()));
                record->setTitleStr_1(NSString::stringWithFormat("%@", period->edtm()));
                record->setDetailStr(NSString::stringWithFormat("%@", period->week()));
                record->setType(NSString::stringWithFormat("%@", period->type()));
                record->setRemark(NSString::stringWithFormat("%@", period->remark()));
                record->setHoliday(NSString::stringWithFormat("%@", period->holiday()));
                school.push_back(record);
            }
        }
        // The periods join the screen's list on the main thread.
        NSThread::performBlockOnMainThread([weak, school] {
            auto screen = weak.lock();
            if (!screen) return;
            for (const auto& record : school) screen->addSchoolDataByDataStruct(record);
            screen->updateSchoolSet();
        }, false);
    });
}

bool TimeLimitViewController::addSchoolDataByDataStruct(const std::shared_ptr<TimeHighSettingDataStruct>& record)
{
    for (const auto& held : mSchoolData)
        if (held->sameAs(*record)) return false;
    mSchoolData.push_back(record);
    return true;
}

void TimeLimitViewController::updateSchoolSet()
{
    if (shouldLoadSchool_) {
        getSchoolSet();
        setSchoolSet();
    }
    loadProtectSet();
}

void TimeLimitViewController::getSchoolSet()
{
    if (mSchoolData.empty()) return;
    std::vector<std::shared_ptr<TimeHighSettingDataStruct>> days[7];
    for (const auto& period : mSchoolData) {
        if (period->detailStr().isNil()) continue;
        for (const auto& part : period->detailStr().componentsSeparatedByString(",")) {
            const int day = part.intValue();
            if (part.length() > 0 && day >= 1 && day <= 7) days[day - 1].push_back(period);  // others have no day
        }
    }
    mSchoolSet.clear();
    for (const auto& periods : days) {
        SchoolDay day;
        if (!periods.empty() && periods.front()->holiday() != "1") {
            for (const auto& p : periods) {
                if (auto start = minutesOfDay(p->titleStr()); start && (!day.min || *start < *day.min)) day.min = start;
                if (auto end = minutesOfDay(p->titleStr_1()); end && (!day.max || *end > *day.max)) day.max = end;
            }
        }
        mSchoolSet.push_back(day);
    }
}

void TimeLimitViewController::setSchoolSet()
{
    const NSInteger segment = daySelected->selectedSegmentIndex();
    if (mSchoolSet.size() < 7 || segment < 0 || segment > 6) return;
    const SchoolDay& day = mSchoolSet[segment == 0 ? 6 : segment - 1];
    for (int h = 0; h < 24; ++h) {
        unsigned lock = 0;
        if (day.min && day.max) {
            const int sh = *day.min / 60, sm = *day.min % 60, eh = *day.max / 60, em = *day.max % 60;
            if (h == sh && h == eh)  // a span inside one hour locks only what lies between its ends
                lock = CustomButton::getStatByMinute(sm, true) & (em == 0 ? 15u : CustomButton::getStatByMinute(em, false));
            else if (h == sh)
                lock = CustomButton::getStatByMinute(sm, true);
            else if (h > sh && h < eh)
                lock = 15;
            else if (h == eh)
                lock = em == 0 ? 0 : CustomButton::getStatByMinute(em, false);
        }
        if (auto* cell = hourCell(h)) cell->setButtonEditableState(lock);
    }
}
