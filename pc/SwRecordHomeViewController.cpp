#include "pc/SwRecordHomeViewController.h"

#include "app/AppText.h"
#include "app/PCTimeCommon.h"
#include "pc/ImageViewListController.h"
#include "pc/LimitViewController.h"
#include "pc/ListViewController.h"
#include "pc/PCRecordCommon.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIImage.h"
#include "protocol/Internet.h"

NX_REGISTER_CLASS(SwRecordHomeViewController, [] { return UIViewController::init<SwRecordHomeViewController>(); });

namespace {

NSString dayText(NSTimeInterval since1970)
{
    auto formatter = NSDateFormatter::init();
    formatter->setDateFormat("yyyy-MM-dd");
    return formatter->stringFromDate(NSDate::dateWithTimeIntervalSince1970(since1970));
}

std::shared_ptr<UILabel> label(CGRect frame, std::shared_ptr<UIFont> font, std::shared_ptr<UIColor> color, const NSString& text)
{
    auto l = UILabel::initWithFrame(frame);
    l->font = std::move(font);
    l->textColor = std::move(color);
    l->setBackgroundColor(UIColor::clearColor());
    l->setText(text);
    return l;
}

}  // namespace

void SwRecordHomeViewController::viewDidLoad()
{
    initUI();
    navigationItem()->title = L("swrechomeviewctrl_recsearch");
}

void SwRecordHomeViewController::viewWillAppear(bool)
{
    navigationItem()->title = L("swrechomeviewctrl_recsearch");
    view()->setBackgroundColor(UIColor::blackColor());
}

void SwRecordHomeViewController::initUI()
{
    auto self = std::static_pointer_cast<NSObject>(shared_from_this());
    auto seg = UISegmentedControl::initWithItems(
        {L("swrechomeviewctrl_webrec"), L("swrechomeviewctrl_softrec"), L("swrechomeviewctrl_screenshotbrowser")});
    seg->setFrame(CGRectMake(29, 13, 263, 44));
    seg->setMultipleTouchEnabled(false);
    seg->setSelectedSegmentIndex(0);
    seg->setTag(kSegmentTag);
    seg->addTarget(self, NX_SEL(SwRecordHomeViewController, segValueChange), UIControlEventValueChanged);
    selectSearchType = 0;
    view()->addSubview(seg);

    auto pickerLabel = label(CGRectMake(20, 70, 220, 21), UIFont::boldSystemFontOfSize(12), UIColor::whiteColor(),
                             L("swrechomeviewctrl_selectwebrectime"));
    pickerLabel->setTag(kPickerLabelTag);
    view()->addSubview(pickerLabel);

    auto blackList = UIButton::buttonWithType(UIButtonTypeCustom);
    blackList->setFrame(CGRectMake(200, 70, 110, 24));
    blackList->setTitle(NSString::stringWithFormat("[%@]", L("swrechomeviewctrl_blacklist")), UIControlStateNormal);
    blackList->titleLabel()->font = UIFont::boldSystemFontOfSize(18);
    blackList->setTitleColor(UIColor::yellowColor(), UIControlStateNormal);
    blackList->setTag(kBlackListButtonTag);
    blackList->addTarget(self, NX_SEL(SwRecordHomeViewController, blackListBtnCallBack), UIControlEventTouchUpInside);
    view()->addSubview(blackList);

    auto picker = UIDatePicker::initWithFrame(CGRectMake(0, 3, 260, 280));
    picker->datePickerMode = UIDatePickerModeDate;
    picker->setTag(kDatePickerTag);
    picker->layer()->cornerRadius = 16;
    picker->layer()->masksToBounds = true;
    picker->setBackgroundColor(UIColor::clearColor());
    picker->setTransform(CGAffineTransformMakeScale(0.85, 0.85));
    picker->setCenter(CGPointMake(160, 190));
    picker->setDate(NSDate::date().timeIntervalSince1970());
    picker->addTarget(self, NX_SEL0(SwRecordHomeViewController, datePickerValueChanged), UIControlEventValueChanged);
    view()->addSubview(picker);

    selectDate_ = dayText(picker->date());
    NX_LOG("date:%@", selectDate_);

    auto search = UIButton::buttonWithType(UIButtonTypeCustom);
    search->setFrame(CGRectMake(0, 0, 221, 40));
    search->setCenter(CGPointMake(160, 315));
    search->setBackgroundImage(UIImage::imageNamed("green_big_vesk.png"), UIControlStateNormal);
    search->setTitle(L("swrechomeviewctrl_searchrec"), UIControlStateNormal);
    search->addTarget(self, NX_SEL(SwRecordHomeViewController, sureBtnCallBack), UIControlEventTouchUpInside);
    view()->addSubview(search);

    auto info = label(CGRectMake(50, 345, 40, 21), UIFont::systemFontOfSize(12), UIColor::yellowColor(), L("swrechomeviewctrl_info"));
    info->textAlignment = UITextAlignmentRight;
    view()->addSubview(info);
    view()->addSubview(label(CGRectMake(90, 345, 200, 21), UIFont::systemFontOfSize(12), UIColor::whiteColor(),
                             NSString::stringWithFormat("%@ %i %@", L("swrechomeviewctrl_ucansearch"), 3, L("swrechomeviewctrl_dayrec"))));
}

void SwRecordHomeViewController::segValueChange(const id& sender)
{
    auto* seg = dynamic_cast<UISegmentedControl*>(sender.get());
    if (!seg) return;
    selectSearchType = static_cast<int>(seg->selectedSegmentIndex());
    UIView* blackList = view()->viewWithTag(kBlackListButtonTag);
    auto* pickerLabel = dynamic_cast<UILabel*>(view()->viewWithTag(kPickerLabelTag));
    static const char* const keys[] = {"swrechomeviewctrl_selectwebrectime", "swrechomeviewctrl_selectsoftrectime",
                                       "swrechomeviewctrl_selectscreenrectime"};
    blackList->setHidden(selectSearchType == 2);
    if (selectSearchType >= 0 && selectSearchType <= 2) pickerLabel->setText(L(keys[selectSearchType]));
}

void SwRecordHomeViewController::datePickerValueChanged()
{
    if (auto* picker = dynamic_cast<UIDatePicker*>(view()->viewWithTag(kDatePickerTag))) {
        selectDate_ = dayText(picker->date());
        NX_LOG("date:%@", selectDate_);
    }
}

void SwRecordHomeViewController::blackListBtnCallBack(const id&)
{
    auto limits = UIViewController::init<LimitViewController>();
    NSNotificationCenter::defaultCenter()->postNotificationName("hideCustomTabBar", nullptr);
    limits->setHidesBottomBarWhenPushed(true);
    if (auto* nav = navigationController()) nav->pushViewController(limits, true);
    if (selectSearchType == 1) {
        limits->setSegSelectIndex(1);
        limits->setButtonHide();
    }
}

void SwRecordHomeViewController::sureBtnCallBack(const id&)
{
    if (!inRecordDayWindow(selectDate_)) {
        Constant_alert(NSString::stringWithFormat("%@%d%@", L("swrechomeviewctrl_ucansearch"), 3, L("swrechomeviewctrl_dayrec")),
                       nullptr);
        return;
    }
    auto* nav = navigationController();
    if (selectSearchType == 2) {
        auto captures = ImageViewListController::init();
        captures->setSelectDate(selectDate_);
        if (nav) nav->pushViewController(captures, true);
        return;
    }
    const bool web = selectSearchType == 0;
    auto list = UIViewController::init<ListViewController>();
    list->setType(web ? 6 : 7);
    list->setDate(selectDate_);
    list->setByTypeName("");
    auto body = Body::initWithDataDate(selectDate_, "1", "20");
    if (web) {
        if (auto reply = Internet::init()->RQUrlAccess(body)) {
            auto rows = reply->list();
            sortByCount(rows);
            list->setList(ids(rows));
            list->setTotalRecord(reply->totalRecord().intValue());
            list->setNavTitle(L("swrechomeviewctrl_webrec"));
            list->setSelectdate(NSString::stringWithFormat("%@", selectDate_));
        }
    } else if (auto reply = Game::init()->RQGameAccess(body)) {
        auto rows = reply->list();
        sortByCount(rows);
        // A page that is not full ends in the more row, which then tells
        // that nothing more is there (no total comes with software records).
        list->setList(ids(rows), rows.size() % 20 != 0);
        list->setNavTitle(L("swrechomeviewctrl_soft"));
        list->setSelectdate(NSString::stringWithFormat("%@", selectDate_));
    }
    // Without a reply the list asks for the day searched when refreshed.
    if (list->selectdate().isNil()) list->setSelectdate(selectDate_);
    if (nav) nav->pushViewController(list, true);
}
