#include "phone/MapDatePickerView.h"

#include "app/PCTimeCommon.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/uikit/UIImage.h"

namespace {

NSString dayText(const NSDate& date)
{
    auto formatter = NSDateFormatter::init();
    formatter->setDateFormat("yyyy-MM-dd");
    return formatter->stringFromDate(date);
}

std::shared_ptr<UIButton> panelButton(CGRect frame, const char* title)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(frame);
    button->titleLabel()->font = UIFont::boldSystemFontOfSize(15);
    button->setTitle(L(title), UIControlStateNormal);
    button->setBackgroundImage(UIImage::imageNamed("button_vesk.png"), UIControlStateNormal);
    return button;
}

}  // namespace

std::shared_ptr<MapDatePickerView> MapDatePickerView::initWithFrame(CGRect frame)
{
    auto view = UIView::initWithFrame<MapDatePickerView>(frame);
    view->initUI();
    return view;
}

void MapDatePickerView::initUI()
{
    auto self = std::static_pointer_cast<NSObject>(shared_from_this());
    setBackgroundColor(UIColor::blackColor());
    layer()->cornerRadius = 8;
    setAlpha(0.75);

    auto picker = UIDatePicker::initWithFrame(CGRectMake(0, 3, 260, 280));
    picker->setTag(kDatePickerTag);
    picker->layer()->cornerRadius = 16;
    picker->layer()->masksToBounds = true;
    picker->setBackgroundColor(UIColor::clearColor());
    picker->datePickerMode = UIDatePickerModeDate;
    picker->setDate(NSDate::date().timeIntervalSince1970());
    picker->setTransform(CGAffineTransformMakeScale(0.85, 0.85));
    picker->setCenter(CGPointMake(145, 103));
    picker->addTarget(self, NX_SEL0(MapDatePickerView, datePickerValueChanged), UIControlEventValueChanged);
    addSubview(picker);

    lblSelectDate = UILabel::initWithFrame(CGRectMake(103, 196, 160, 21));
    lblSelectDate->setBackgroundColor(UIColor::clearColor());
    lblSelectDate->font = UIFont::boldSystemFontOfSize(16);
    lblSelectDate->textColor = UIColor::whiteColor();
    lblSelectDate->numberOfLines = 0;
    lblSelectDate->setText(dayText(NSDate::date()));
    addSubview(lblSelectDate);

    auto ok = panelButton(CGRectMake(10, 215, 100, 30), "mapdatepickerview_ok");
    ok->addTarget(self, NX_SEL0(MapDatePickerView, btnOkClicked), UIControlEventTouchUpInside);
    addSubview(ok);
    auto cancel = panelButton(CGRectMake(180, 215, 100, 30), "mapdatepickerview_cancel");
    cancel->addTarget(self, NX_SEL0(MapDatePickerView, btnCancelClicked), UIControlEventTouchUpInside);
    addSubview(cancel);
}

void MapDatePickerView::datePickerValueChanged()
{
    auto* picker = dynamic_cast<UIDatePicker*>(viewWithTag(kDatePickerTag));
    if (!picker) return;
    lblSelectDate->setText(dayText(NSDate::dateWithTimeIntervalSince1970(picker->date())));
}

void MapDatePickerView::btnOkClicked()
{
    if (auto d = delegate.lock()) d->btnOkClicked(lblSelectDate->text());
}

void MapDatePickerView::btnCancelClicked()
{
    if (auto d = delegate.lock()) d->btnCancelClicked();
}
