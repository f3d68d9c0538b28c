#include "pc/SwTimeLenSetting.h"

#include "app/PCTimeCommon.h"
#include "protocol/TimeSettingConstant.h"

namespace {

int period(int component) { return component == 0 ? 25 : 60; }
// A remainder that is never negative, so a negative loaded length still
// lands on a row of the column.
int nonNegativeMod(long long value, int m) { return static_cast<int>(((value % m) + m) % m); }

}  // namespace

std::shared_ptr<SwTimeLenSetting> SwTimeLenSetting::initWithFrame(CGRect frame)
{
    auto page = UIView::initWithFrame<SwTimeLenSetting>(frame);
    page->initUI();
    return page;
}

UIPickerView* SwTimeLenSetting::picker() const
{
    return dynamic_cast<UIPickerView*>(const_cast<SwTimeLenSetting*>(this)->viewWithTag(kPickerTag));
}

void SwTimeLenSetting::initUI()
{
    auto self = std::static_pointer_cast<NSObject>(strong());
    auto info = UILabel::initWithFrame(CGRectMake(0, 0, 320, 42));
    info->setText(L("timelenctrl_info"));
    info->font = UIFont::boldSystemFontOfSize(12);
    info->textColor = UIColor::whiteColor();
    info->setBackgroundColor(UIColor::clearColor());
    info->numberOfLines = 0;
    addSubview(info);

    auto picker = UIPickerView::initWithFrame(CGRectMake(0, 45, 260, 280));
    picker->setTag(kPickerTag);
    picker->layer()->cornerRadius = 16;
    picker->setClipsToBounds(true);
    picker->setBackgroundColor(UIColor::blueColor());
    picker->setTransform(CGAffineTransformMakeScale(0.85, 0.85));
    picker->setCenter(CGPointMake(160, 128));
    picker->dataSource = strong();
    picker->delegate = strong();
    picker->showsSelectionIndicator = true;
    addSubview(picker);
    addPickerLabel(L("timelenctrl_hourlbl"), 140, 47, 165);
    addPickerLabel(L("timelenctrl_minlbl"), 240, 47, 165);

    lblSelectTime_ = UILabel::initWithFrame(CGRectMake(80, 223.5, 160, 21));
    lblSelectTime_->font = UIFont::boldSystemFontOfSize(12);
    lblSelectTime_->textColor = UIColor::whiteColor();
    lblSelectTime_->setBackgroundColor(UIColor::clearColor());
    lblSelectTime_->textAlignment = UITextAlignmentCenter;
    lblSelectTime_->numberOfLines = 0;
    lblSelectTime_->setText(NSString::stringWithFormat("%@0%@0%@", L("timelenctrl_yourselecttime"), L("timelenctrl_hour"),
                                                       L("timelenctrl_min")));
    addSubview(lblSelectTime_);

    auto toolbar = UIToolbar::initWithFrame(CGRectMake(0, 250, 320, 48));
    toolbar->barStyle = UIBarStyleBlack;
    auto use = UILabel::initWithFrame(CGRectMake(0, 0, 60, 21));
    use->setText(L("timelenctrl_use"));
    use->font = UIFont::boldSystemFontOfSize(12);
    use->textColor = UIColor::whiteColor();
    use->setHidden(true);
    switchBtn_ = UISwitch::initWithFrame(CGRectZero);
    switchBtn_->setHidden(true);
    switchBtn_->addTarget(self, NX_SEL(SwTimeLenSetting, switchValueChanged), UIControlEventValueChanged);
    toolbar->setItems({UIBarButtonItem::initWithCustomView(use), UIBarButtonItem::initWithCustomView(switchBtn_),
                       UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemFlexibleSpace, nullptr, SEL()),
                       tintedBarItem(UIColor::colorWithRed(0, 0.85, 0, 1), L("timelenctrl_submit"), self,
                                     NX_SEL(SwTimeLenSetting, submissionBtnClicked), 120)});
    addSubview(toolbar);
    reload();
}

void SwTimeLenSetting::addPickerLabel(const NSString& text, CGFloat rightX, CGFloat top, CGFloat height)
{
    const CGSize size = sizeWithFont(text, UIFont::boldSystemFontOfSize(18));
    for (CGFloat dy : {1.0, 0.0}) {
        auto label = UILabel::initWithFrame(CGRectMake(rightX - size.width, top + dy, size.width, height));
        label->setText(text);
        label->font = UIFont::boldSystemFontOfSize(18);
        label->textColor = UIColor::whiteColor();
        label->setBackgroundColor(UIColor::clearColor());
        label->setOpaque(false);
        label->setAlpha(0.7);
        addSubview(label);
    }
}

// ---- Loading --------------------------------------------------------------------

void SwTimeLenSetting::reload()
{
    addHud(this, L("timelenctrl_loading"));
    loadTimeConfig(strong(), &SwTimeLenSetting::updateView);
}

void SwTimeLenSetting::updateView(const std::shared_ptr<ProtectSettingReturnMessage>& reply)
{
    if (reply) {
        const int type = reply->timeType().intValue();
        const long long length = reply->timeLength().longLongValue();
        isSwitchOn = type == 0 || type == 3 || type == 4;
        switchBtn_->setOn(isSwitchOn);
        lblSelectTime_->setText(NSString::stringWithFormat("%@ %lld %@ %lld %@", L("timelenctrl_yourselecttime"), length / 60,
                                                           L("timelenctrl_hour"), length % 60, L("timelenctrl_min")));
        TimeSettingConstant::setCmdType(reply->cmdType());
        TimeSettingConstant::setTimeType(reply->timeType());
        TimeSettingConstant::setTimeLength(reply->timeLength());
        TimeSettingConstant::setUnlimited(reply->unlimited());
        pickerViewLoaded(nonNegativeMod(length / 60, 25), 0);
        pickerViewLoaded(nonNegativeMod(length % 60, 60), 1);
    }
    hideHUD(this);
}

// ---- The endless picker ---------------------------------------------------------------

NSString SwTimeLenSetting::pickerView_titleForRow_forComponent(UIPickerView*, NSInteger row, NSInteger component)
{
    return NSString::stringWithFormat("%i", static_cast<int>(row % period(static_cast<int>(component))));
}

void SwTimeLenSetting::pickerViewLoaded(int value, int component)
{
    const int m = period(component);
    if (auto* pv = picker()) pv->selectRow(kPickerRows / 2 - (kPickerRows / 2) % m + nonNegativeMod(value, m), component, false);
}

void SwTimeLenSetting::pickerView_didSelectRow_inComponent(UIPickerView* pv, NSInteger row, NSInteger component)
{
    pickerViewLoaded(static_cast<int>(row % period(static_cast<int>(component))), static_cast<int>(component));
    const int hours = static_cast<int>(pv->selectedRowInComponent(0) % 25);
    int minutes = static_cast<int>(pv->selectedRowInComponent(1) % 60);
    if (hours == 24) {
        pickerViewLoaded(0, 1);
        minutes = 0;
    }
    showSelection(hours, minutes);
}

void SwTimeLenSetting::showSelection(int hours, int minutes)
{
    lblSelectTime_->setText(NSString::stringWithFormat("%@ %d %@ %d %@", L("timelenctrl_yourselecttime"), hours,
                                                       L("timelenctrl_hour"), minutes, L("timelenctrl_min")));
}

int SwTimeLenSetting::selectedAllowance() const
{
    auto* pv = picker();
    const int hours = static_cast<int>(std::max<NSInteger>(pv->selectedRowInComponent(0), 0) % 25);
    const int minutes = static_cast<int>(std::max<NSInteger>(pv->selectedRowInComponent(1), 0) % 60);
    return hours == 24 ? 1440 : hours * 60 + minutes;
}

// ---- Sending -------------------------------------------------------------------------

void SwTimeLenSetting::submissionBtnClicked(const id&)
{
    if (!picker()) return;
    sendTimeConfig(strong(), deviceBody("<BODY><BID>%@</BID><TimeLength>%@</TimeLength></BODY></MSG>",
                                      NSString::stringWithFormat("%d", selectedAllowance())));
}

void SwTimeLenSetting::switchValueChanged(const id&)
{
    isSwitchOn = !isSwitchOn;
    NSString type = TimeSettingConstant::nextTimeType(TimeSettingConstant::timeType(), 0);
    if (type.isNil() || type.length() == 0 || type == "(null)") type = isSwitchOn ? "0" : "-1";
    sendTimeConfig(strong(), deviceBody("<BODY><BID>%@</BID><TimeType>%@</TimeType></BODY></MSG>", type), type);
}
