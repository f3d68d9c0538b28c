#include "pc/AddTimeViewCtrl.h"

#include "app/PCTimeCommon.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIImage.h"

static const char* const kDayKeys[] = {"monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday"};

static std::shared_ptr<UILabel> editorLabel(CGRect frame, const NSString& text, CGFloat size)
{
    auto label = UILabel::initWithFrame(frame);
    label->setText(text);
    label->font = UIFont::boldSystemFontOfSize(size);
    label->textColor = UIColor::lightGrayColor();
    label->setBackgroundColor(UIColor::clearColor());
    return label;
}

// ---- Editor -------------------------------------------------------------------

std::shared_ptr<AddTimeViewCtrl> AddTimeViewCtrl::init()
{
    auto editor = UIViewController::init<AddTimeViewCtrl>();
    auto view = editor->view();
    view->setFrame(CGRectMake(0, 0, 320, 480));
    view->setBackgroundColor(UIColor::clearColor());
    view->setAutoresizingMask(UIViewAutoresizingFlexibleHeight);
    editor->initUI();
    return editor;
}

void AddTimeViewCtrl::initUI()
{
    auto self = std::static_pointer_cast<NSObject>(shared_from_this());
    setTitle(L("addtimeviewctrl_timeset"));
    navigationItem()->setLeftBarButtonItem(veskBarItem(L("addtimeviewctrl_cancel"), self, NX_SEL0(AddTimeViewCtrl, cancelBtnCallBack)));
    navigationItem()->setRightBarButtonItem(veskBarItem(L("addtimeviewctrl_complete"), self, NX_SEL0(AddTimeViewCtrl, sureBtnCallBack)));

    auto backdrop = UIImageView::initWithFrame(CGRectMake(0, 0, 320, 180));
    backdrop->setBackgroundColor(UIColor::blackColor());
    view()->addSubview(backdrop);

    struct { NSInteger tag; CGFloat y; SEL action; } rows[] = {
        {kStartRowTag, 60, NX_SEL(AddTimeViewCtrl, FirstImgBtnCallBack)},
        {kEndRowTag, 105, NX_SEL(AddTimeViewCtrl, secondImgBtnCallBack)},
    };
    for (auto& r : rows) {
        auto b = UIButton::buttonWithType(UIButtonTypeCustom);
        b->setFrame(CGRectMake(5, r.y, 310, 40));
        b->setTag(r.tag);
        b->setBackgroundColor(UIColor::clearColor());
        b->setBackgroundImage(UIImage::imageNamed("srk_vesk"), UIControlStateSelected);
        b->addTarget(self, r.action, UIControlEventTouchUpInside);
        view()->addSubview(b);
    }
    row(kStartRowTag)->setSelected(true);

    auto picker = UIDatePicker::initWithFrame(CGRectMake(0, 153, 320, 300));
    picker->setTag(kPickerTag);
    picker->datePickerMode = UIDatePickerModeCountDownTimer;
    picker->setBackgroundColor(UIColor::clearColor());
    picker->addTarget(self, NX_SEL(AddTimeViewCtrl, datePickValueChangeCallBack), UIControlEventValueChanged);
    view()->addSubview(picker);

    view()->addSubview(editorLabel(CGRectMake(10, 20, 50, 30), L("addtimeviewctrl_date"), 22));
    auto week = editorLabel(CGRectMake(45, 20, 260, 30), ">>", 15);
    week->setTag(kWeekTag);
    week->textAlignment = UITextAlignmentRight;
    week->numberOfLines = 2;
    view()->addSubview(week);
    struct { const char* key; NSInteger tag; CGFloat y; } times[] = {
        {"addtimeviewctrl_start", kStartTag, 65},
        {"addtimeviewctrl_end", kEndTag, 110},
    };
    for (auto& t : times) {
        view()->addSubview(editorLabel(CGRectMake(10, t.y, 50, 30), L(t.key), 22));
        auto text = editorLabel(CGRectMake(60, t.y, 230, 30), "00:00", 22);
        text->setTag(t.tag);
        text->textAlignment = UITextAlignmentRight;
        text->setUserInteractionEnabled(false);
        view()->addSubview(text);
    }

    auto hover = UIButton::buttonWithType(UIButtonTypeCustom);
    hover->setFrame(CGRectMake(10, 20, 300, 30));
    hover->setBackgroundColor(UIColor::clearColor());
    hover->addTarget(self, NX_SEL(AddTimeViewCtrl, hoverBtnCallBack), UIControlEventTouchUpInside);
    view()->addSubview(hover);
}

UIButton* AddTimeViewCtrl::row(NSInteger tag) { return dynamic_cast<UIButton*>(view()->viewWithTag(tag)); }

void AddTimeViewCtrl::datePickValueChangeCallBack(const id& sender)
{
    auto* picker = dynamic_cast<UIDatePicker*>(sender.get());
    if (!picker) return;
    const int seconds = static_cast<int>(picker->countDownDuration());
    setLabelValue(NSString::stringWithFormat("%02d:%02d", seconds / 3600, seconds % 3600 / 60), picker->countDownDuration());
}

void AddTimeViewCtrl::setLabelValue(const NSString& text, double seconds)
{
    const bool start = row(kStartRowTag)->selected();
    if (auto* label = dynamic_cast<UILabel*>(view()->viewWithTag(start ? kStartTag : kEndTag))) label->setText(text);
    (start ? mStartTime : mEndTime) = seconds;
}

void AddTimeViewCtrl::FirstImgBtnCallBack(const id&)
{
    row(kStartRowTag)->setSelected(true);
    row(kEndRowTag)->setSelected(false);
}

void AddTimeViewCtrl::secondImgBtnCallBack(const id&)
{
    row(kEndRowTag)->setSelected(true);
    row(kStartRowTag)->setSelected(false);
}

void AddTimeViewCtrl::hoverBtnCallBack(const id&)
{
    std::map<NSString, NSString> days;
    for (int i = 0; i < 7; ++i) days[NSString::stringWithFormat("%d", i)] = "0";
    auto chooser = addTimeHourSet::init();
    chooser->delegate = std::static_pointer_cast<AddTimeViewCtrl>(shared_from_this());
    chooser->dateTagValueDic = days;
    chooser->setImageViewShowByDateDictionary(days);
    if (auto* nav = navigationController()) nav->pushViewController(chooser, true);
}

void AddTimeViewCtrl::AddTimeHourSet_addTimeViewCallBack(addTimeHourSet*, const std::map<NSString, NSString>& days)
{
    if (!mCurDataStruct) return;
    std::string list, shown;
    for (int key = 0; key < 7; ++key) {
        auto it = days.find(NSString::stringWithFormat("%d", key));
        if (it == days.end() || it->second.intValue() == 0) continue;
        if (!list.empty()) {
            list += ',';
            shown += ',';
        }
        list += std::to_string(key + 1);
        shown += getDateStrByIndex(key + 1).str();
    }
    mCurDataStruct->setDetailStr(list);
    if (auto* label = dynamic_cast<UILabel*>(view()->viewWithTag(kWeekTag))) label->setText(shown);
}

void AddTimeViewCtrl::sureBtnCallBack()
{
    // A day list emptied by a later choice is refused as well: a period
    // without days would reach the service.
    if (mCurDataStruct->detailStr().isNil() || mCurDataStruct->detailStr().length() == 0) {
        showAlertByAlertInfo(L("addtimeviewctrl_selectyourtime"));
        return;
    }
    if (mEndTime <= mStartTime) {
        showAlertByAlertInfo(L("addtimeviewctrl_selecterr"));
        return;
    }
    mCurDataStruct->setTitleStr(dynamic_cast<UILabel*>(view()->viewWithTag(kStartTag))->text());
    mCurDataStruct->setTitleStr_1(dynamic_cast<UILabel*>(view()->viewWithTag(kEndTag))->text());
    mCurDataStruct->setType("0");
    auto keep = shared_from_this();
    if (auto d = delegate.lock()) d->AddTimeViewCtrl_addTimeViewCallBack(this, mCurDataStruct);
    if (auto* nav = navigationController()) nav->popToRootViewControllerAnimated(true);
}

void AddTimeViewCtrl::cancelBtnCallBack()
{
    if (auto* nav = navigationController()) nav->popToRootViewControllerAnimated(true);
}

void AddTimeViewCtrl::showAlertByAlertInfo(const NSString& text)
{
    UIAlertView::initWithTitle(L("addtimeviewctrl_alert"), text, nullptr, L("addtimeviewctrl_ok"), {})->show();
}

NSString AddTimeViewCtrl::getDateStrByIndex(int day)
{
    if (day < 1 || day > 7) return NSString();
    return L(NSString::stringWithFormat("addtimeviewctrl_%s", kDayKeys[day - 1]).UTF8String());
}

// ---- Weekday chooser -------------------------------------------------------------

std::shared_ptr<addTimeHourSet> addTimeHourSet::init()
{
    auto chooser = UIViewController::init<addTimeHourSet>();
    auto view = chooser->view();
    view->setFrame(CGRectMake(0, 0, 320, 480));
    if (auto pattern = UIImage::imageNamed("shouye_vesk")) view->setBackgroundColor(UIColor::colorWithPatternImage(pattern));
    view->setAutoresizingMask(UIViewAutoresizingFlexibleHeight);
    chooser->initUI();
    return chooser;
}

void addTimeHourSet::initUI()
{
    auto self = std::static_pointer_cast<NSObject>(shared_from_this());
    setTitle(L("addtimehourset_timeset"));
    navigationItem()->setLeftBarButtonItem(veskBarItem(L("addtimehourset_back"), self, NX_SEL0(addTimeHourSet, backBtnCallBack)));
    for (int i = 0; i < 7; ++i) {
        const CGFloat y = 10 + 45 * i;
        auto background = UIImageView::initWithImage(UIImage::imageNamed(i == 0 ? "top_round" : (i == 6 ? "bottom_round" : "middle_round")));
        background->setFrame(CGRectMake(20, y, 280, 45));
        view()->addSubview(background);
        view()->addSubview(editorLabel(CGRectMake(30, y, 280, 45), getDateStrByIndex(i), 22));
        auto tickImage = UIImage::imageNamed("right");
        auto tick = UIImageView::initWithImage(tickImage);
        const CGSize size = tickImage ? tickImage->size() : CGSizeMake(30, 30);
        tick->setFrame(CGRectMake(260, y + 10, size.width - 5, size.height - 5));
        tick->setTag(kTickTag + i);
        tick->setHidden(true);
        view()->addSubview(tick);
        auto b = UIButton::buttonWithType(UIButtonTypeCustom);
        b->setFrame(CGRectMake(20, y, 280, 45));
        b->setBackgroundColor(UIColor::clearColor());
        b->setTag(kRowTag + i);
        b->addTarget(self, NX_SEL(addTimeHourSet, BtnCallBack), UIControlEventTouchUpInside);
        view()->addSubview(b);
    }
}

void addTimeHourSet::setImageViewShowByDateDictionary(const std::map<NSString, NSString>& days)
{
    for (int i = 0; i < 7; ++i) {
        auto it = days.find(NSString::stringWithFormat("%d", i));
        showSelectImageByImageIndex(i, it != days.end() && it->second.intValue() > 0);
    }
}

void addTimeHourSet::BtnCallBack(const id& sender)
{
    auto* b = dynamic_cast<UIButton*>(sender.get());
    if (!b || dateTagValueDic.empty()) return;
    const int index = static_cast<int>(b->tag() - kRowTag);
    auto& value = dateTagValueDic[NSString::stringWithFormat("%d", index)];
    value = value.intValue() <= 0 ? "1" : "0";
    showSelectImageByImageIndex(index, value == "1");
}

void addTimeHourSet::showSelectImageByImageIndex(int index, bool show)
{
    if (auto* tick = view()->viewWithTag(kTickTag + index)) tick->setHidden(!show);
}

void addTimeHourSet::backBtnCallBack()
{
    auto keep = shared_from_this();
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
    if (auto d = delegate.lock()) d->AddTimeHourSet_addTimeViewCallBack(this, dateTagValueDic);
}

NSString addTimeHourSet::getDateStrByIndex(int index)
{
    if (index < 0 || index > 6) return NSString();
    return L(NSString::stringWithFormat("addtimehourset_%s", kDayKeys[index]).UTF8String());
}
