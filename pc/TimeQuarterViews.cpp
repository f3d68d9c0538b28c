#include "pc/TimeQuarterViews.h"

#include <bit>

#include "app/PCTimeCommon.h"
#include "app/ScreenParts.h"
#include "platform/foundation/NSLog.h"
#include "platform/uikit/UIImage.h"
#include "ui/UIImageCategories.h"

std::shared_ptr<UIColor> quarterLockColor() { return UIColor::colorWithRed(1, 0.81, 0, 1); }

NSString quarterImageName(int quarter, bool forbidden)
{
    const char* part = quarter == 0 ? "left" : (quarter == 3 ? "right" : "midle");
    return NSString::stringWithFormat("TimeHour_%s%s", part, forbidden ? "_down" : "");
}

// ---- Hour cell ---------------------------------------------------------------

std::shared_ptr<CustomButton> CustomButton::initWithFrame(CGRect frame)
{
    auto cell = UIView::initWithFrame<CustomButton>(frame);
    cell->initUI();
    return cell;
}

void CustomButton::initUI()
{
    setBackgroundColor(UIColor::clearColor());
    const CGFloat w = bounds().size.width, h = bounds().size.height;
    for (int i = 0; i < 4; ++i) {
        quarters_[i] = UIImageView::initWithFrame(CGRectMake(w * i / 4, 0, w / 4, h));
        addSubview(quarters_[i]);
    }
    btn_ = UIButton::buttonWithType(UIButtonTypeCustom);
    btn_->setFrame(CGRectMake(0, 0, w, h));
    btn_->setBackgroundColor(UIColor::clearColor());
    btn_->addTarget(shared_from_this(), NX_SEL(CustomButton, btnClicked), UIControlEventTouchUpInside);
    btn_->addGestureRecognizer(
        UILongPressGestureRecognizer::initWithTarget<UILongPressGestureRecognizer>(shared_from_this(), NX_SEL(CustomButton, btnLongPress)));
    addSubview(btn_);
    setButtonState(0);
    setButtonEditableState(0);
}

void CustomButton::setButtonState(unsigned stat)
{
    stat_ = stat;
    for (int i = 0; i < 4; ++i) {
        if (editableStat_ & (1u << i)) {
            quarters_[i]->setImage(nullptr);
            quarters_[i]->setBackgroundColor(quarterLockColor());
        } else {
            quarters_[i]->setBackgroundColor(nullptr);
            quarters_[i]->setImage(UIImage::imageNamed(quarterImageName(i, stat_ & (1u << i))));
        }
    }
}

void CustomButton::setButtonEditableState(unsigned editableStat)
{
    editableStat_ = editableStat;
    setButtonState(stat_);
}

void CustomButton::setAllEditableButtonState()
{
    const unsigned free = ~editableStat_ & 15u;
    if (free == 0) return;
    unsigned next;
    if (std::popcount(free) == 1)
        next = stat_ ^ free;
    else
        next = (stat_ & free) ? 0u : (stat_ | free);
    setButtonState(next);
}

unsigned CustomButton::getStatByMinute(int minute, bool up)
{
    NX_LOG("getStatByMinute min %i isUp %i", minute, up ? 1 : 0);
    if (minute < 0 || minute >= 60) return 15;
    if (up) {
        if (minute < 15) return 15;
        if (minute < 30) return 14;
        if (minute < 45) return 12;
        return 8;
    }
    if (minute == 0) return 15;
    if (minute <= 15) return 1;
    if (minute <= 30) return 3;
    if (minute <= 45) return 7;
    return 15;
}

void CustomButton::btnClicked(const id&)
{
    auto d = delegate();
    if (d && editableStat_ != 15) d->CustomButton_Clicked(this, stat_);
}

void CustomButton::btnLongPress(const id& recognizer)
{
    auto* press = dynamic_cast<UIGestureRecognizer*>(recognizer.get());
    if (!press || press->state() != UIGestureRecognizerStateBegan) return;
    auto d = delegate();
    if (d && editableStat_ != 15) d->CustomButton_LongPressed(this, stat_);
}

// ---- Quarter chooser -------------------------------------------------------------

static constexpr int kOkTag = 5;

std::shared_ptr<CustomAlertView> CustomAlertView::init(const std::shared_ptr<UIAlertViewDelegate>& delegate)
{
    auto chooser = UIAlertView::initWithTitle<CustomAlertView>(NSString(), "\n\n\n\n", delegate, NSString(), {});
    chooser->build();
    return chooser;
}

static std::shared_ptr<UILabel> chooserLabel(CGRect frame, const NSString& text, CGFloat size)
{
    auto label = whiteLabel(frame, size);
    label->setText(text);
    label->textAlignment = UITextAlignmentCenter;
    return label;
}

void CustomAlertView::build()
{
    CGRect f = frame();
    f.size.height = 170;  // room for the panel below the (empty) title
    setFrame(f);

    auto panel = UIView::initWithFrame(CGRectMake(1, 0, 280, 168));
    panel->setBackgroundColor(UIColor::blackColor());
    panel->layer()->cornerRadius = 10;
    panel->setAlpha(0.75);
    addSubview(panel);

    const char* titles[] = {"15", "30", "45", "60"};
    for (int tag = 1; tag <= 4; ++tag) {
        auto b = UIButton::buttonWithType(UIButtonTypeCustom);
        b->setFrame(CGRectMake(10 + 66 * (tag - 1), 55, 66, 40));
        b->setTag(tag);
        b->setTitle(titles[tag - 1], UIControlStateNormal);
        b->setTitleColor(UIColor::blackColor(), UIControlStateNormal);
        b->titleLabel()->font = UIFont::systemFontOfSize(14);
        b->setBackgroundImage(UIImage::imageNamed(quarterImageName(tag - 1, false)), UIControlStateNormal);
        b->setBackgroundImage(UIImage::imageNamed(quarterImageName(tag - 1, true)), UIControlStateSelected);
        b->addTarget(shared_from_this(), NX_SEL(CustomAlertView, buttonClicked), UIControlEventTouchUpInside);
        addSubview(b);
    }

    auto ok = UIButton::buttonWithType(UIButtonTypeCustom);
    ok->setFrame(CGRectMake(80, 128, 120, 30));
    ok->setTag(kOkTag);
    ok->setBackgroundImage(UIImage::imageNamed("button_vesk"), UIControlStateNormal);
    ok->setTitle(L("calertview_ok"), UIControlStateNormal);
    ok->addTarget(shared_from_this(), NX_SEL(CustomAlertView, okClicked), UIControlEventTouchUpInside);
    addSubview(ok);

    addSubview(chooserLabel(CGRectMake(0, 15.5, 280, 25), L("calertview_selectminrange"), 16));
    addSubview(chooserLabel(CGRectMake(10, 100, 140, 22), L("calertview_quarter"), 13));
    addSubview(chooserLabel(CGRectMake(180, 100, 30, 22), L("calertview_allow"), 10));
    auto allowed = UIImageView::initWithImage(UIImage::imageNamed("TimeHour_midle"));
    allowed->setFrame(CGRectMake(150, 102, 30, 15));
    addSubview(allowed);
    addSubview(chooserLabel(CGRectMake(242, 100, 30, 22), L("calertview_forbidden"), 10));
    auto forbidden = UIImageView::initWithImage(UIImage::imageNamed("TimeHour_midle_down"));
    forbidden->setFrame(CGRectMake(212, 102, 30, 15));
    addSubview(forbidden);
}

UIButton* CustomAlertView::quarterButton(int tag) const
{
    for (const auto& v : subviews())
        if (v->tag() == tag)
            if (auto* b = dynamic_cast<UIButton*>(v.get())) return b;
    return nullptr;
}

void CustomAlertView::paintLocked(UIButton* button)
{
    auto state = button->selected() ? UIControlStateSelected : UIControlStateNormal;
    button->setBackgroundImage(createImageWithColor(quarterLockColor()), state);
}

void CustomAlertView::setButtonSelectedWithState(unsigned stat)
{
    for (int tag = 1; tag <= 4; ++tag) {
        UIButton* b = quarterButton(tag);
        if (!b) continue;
        b->setSelected(stat & (1u << (tag - 1)));
        if (editableState & (1u << (tag - 1))) paintLocked(b);
    }
}

void CustomAlertView::setButtonSelectedAtIndex(int tag)
{
    UIButton* b = tag >= 1 && tag <= 4 ? quarterButton(tag) : nullptr;
    if (!b) return;
    b->setSelected(true);
    if (editableState & (1u << (tag - 1))) paintLocked(b);
}

void CustomAlertView::buttonClicked(const id& sender)
{
    auto* b = dynamic_cast<UIButton*>(sender.get());
    if (!b || b->tag() < 1 || b->tag() > 4) return;
    if (editableState & (1u << (b->tag() - 1)))
        paintLocked(b);
    else
        b->setSelected(!b->selected());
}

void CustomAlertView::okClicked(const id&)
{
    auto keep = self();
    dismissWithClickedButtonIndex(0, true);
    auto d = mdelegate.lock();
    if (!d) return;
    unsigned stat = 0;
    for (int tag = 1; tag <= 4; ++tag)
        if (UIButton* b = quarterButton(tag); b && b->selected()) stat |= 1u << (tag - 1);
    NX_LOG("state:%i", stat);
    d->CustomAlertView_buttonClicked(this, stat);
}

// ---- Popup panel ------------------------------------------------------------

std::shared_ptr<TimeLimitQuarterView> TimeLimitQuarterView::initWithFrame(CGRect frame)
{
    auto panel = UIView::initWithFrame<TimeLimitQuarterView>(frame);
    panel->initUI();
    return panel;
}

void TimeLimitQuarterView::initUI()
{
    if (auto pattern = UIImage::imageNamed("TimeHourBg")) setBackgroundColor(UIColor::colorWithPatternImage(pattern));
    struct { const char* key; CGFloat x; SEL action; } buttons[] = {
        {"timelimitquarterview_ok", 10, NX_SEL0(TimeLimitQuarterView, btnOkClicked)},
        {"timelimitquarterview_cancel", 180, NX_SEL0(TimeLimitQuarterView, btnCancelClicked)},
    };
    for (auto& button : buttons) {
        auto b = UIButton::buttonWithType(UIButtonTypeCustom);
        b->setFrame(CGRectMake(button.x, 215, 100, 40));
        b->setBackgroundImage(UIImage::imageNamed("button_vesk"), UIControlStateNormal);
        b->titleLabel()->font = UIFont::boldSystemFontOfSize(15);
        b->setTitle(L(button.key), UIControlStateNormal);
        b->addTarget(shared_from_this(), button.action, UIControlEventTouchUpInside);
        addSubview(b);
    }
}
