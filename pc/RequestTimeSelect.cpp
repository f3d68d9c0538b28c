#include "pc/RequestTimeSelect.h"

#include <chrono>
#include <regex>

#include "app/AppText.h"
#include "app/Ulvo.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UINavigationController.h"
#include "protocol/Constant.h"
#include "ui/MonthCalendarView.h"

namespace {

// The calendar day at the start of a "yyyy-MM-dd..." text.
std::optional<std::chrono::sys_days> dayOf(const NSString& text)
{
    static const std::regex pattern(R"(^(\d{4})-(\d{2})-(\d{2}))");
    if (text.isNil()) return std::nullopt;
    std::smatch m;
    const std::string& s = text.str();
    if (!std::regex_search(s, m, pattern)) return std::nullopt;
    const std::chrono::year_month_day ymd{std::chrono::year(std::stoi(m[1])),
                                          std::chrono::month(static_cast<unsigned>(std::stoi(m[2]))),
                                          std::chrono::day(static_cast<unsigned>(std::stoi(m[3])))};
    if (!ymd.ok()) return std::nullopt;
    return std::chrono::sys_days(ymd);
}

}  // namespace

std::shared_ptr<RequestTimeSelect> RequestTimeSelect::init()
{
    auto picker = UIViewController::init<RequestTimeSelect>();
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 480));
    view->setBackgroundColor(UIColor::blackColor());
    view->setAutoresizingMask(UIViewAutoresizingFlexibleHeight);
    picker->setView(view);
    picker->initUI();
    return picker;
}

void RequestTimeSelect::initUI()
{
    auto self = std::static_pointer_cast<NSObject>(shared_from_this());
    setTitle(localized("requestTimeselect_recordsearch"));
    auto back = Ulvo::customBackButton(localized("requestTimeselect_back"), "button_vesk", NSString(), NSString());
    back->addTarget(self, NX_SEL(RequestTimeSelect, backBtnCallBack), UIControlEventTouchUpInside);
    navigationItem()->setLeftBarButtonItem(UIBarButtonItem::initWithCustomView(back));

    auto calendar = MonthCalendarView::initWithFrame(CGRectMake(0, 0, 320, 275));
    calendar->setTag(kCalendarTag);
    calendar->setBackgroundColor(UIColor::lightGrayColor());
    view()->addSubview(calendar);

    auto image = UIImage::imageNamed("green_big_vesk.png");
    searchButton_ = UIButton::buttonWithType(UIButtonTypeCustom);
    searchButton_->setBackgroundImage(image, UIControlStateNormal);
    searchButton_->setFrame(CGRectMake(25, 310, image ? image->size().width : 270, 45));
    searchButton_->setTitle(localized("requestTimeselect_searchreacord"), UIControlStateNormal);
    searchButton_->titleLabel()->font = UIFont::boldSystemFontOfSize(18);
    searchButton_->addTarget(self, NX_SEL(RequestTimeSelect, sureBtnCallBack), UIControlEventTouchUpInside);
    view()->addSubview(searchButton_);
}

void RequestTimeSelect::backBtnCallBack(const id&)
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}

std::optional<long> RequestTimeSelect::daysBefore(const NSString& day, const NSString& serviceTime)
{
    auto chosen = dayOf(day);
    if (!chosen) return std::nullopt;
    auto service = dayOf(serviceTime);
    if (!service) service = dayOf(Constant::currentTime());
    if (!service) return std::nullopt;
    return static_cast<long>((*service - *chosen).count());
}

void RequestTimeSelect::sureBtnCallBack(const id&)
{
    auto* calendar = dynamic_cast<MonthCalendarView*>(view()->viewWithTag(kCalendarTag));
    if (!calendar) return;
    const NSString day = calendar->getCurSelectData();
    const auto days = daysBefore(day, Constant::serverTime());
    if (!days || *days < 0 || *days > kWindowDays - 1) {
        Constant_alert(NSString::stringWithFormat("%@%d%@", localized("requestTimeselect_infostart"), kWindowDays,
                                                  localized("requestTimeselect_infoend")),
                       nullptr);
        return;
    }
    if (auto d = delegate())
        d->RequestTimeSelectView_callBackCtrl_callBackInfo_callBackCtrlType(this, mPreCtrlView, day, mPreCtrlType);
}
