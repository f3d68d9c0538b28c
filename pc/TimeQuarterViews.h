#pragma once
// The hour cell of the weekly grid (four quarter-hour pictures, a quarter mask
// and a lock mask), the quarter chooser shown over the grid, and the popup
// panel with OK and Cancel.
//
// Quarter mask: bit i (i = 0 ... 3) stands for the minutes 15 i to 15 i + 14 of
// the hour; a set bit means the quarter is forbidden. Lock mask: a set bit
// means the quarter is school time and keeps its state.

#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIGestureRecognizer.h"

class CustomButton;
class CustomAlertView;

class CustomButtonDelegate {
public:
    virtual ~CustomButtonDelegate() = default;
    // The cell's mask before any change; the delegate applies the tap rule.
    virtual void CustomButton_Clicked(CustomButton* cell, unsigned stat) = 0;
    virtual void CustomButton_LongPressed(CustomButton* cell, unsigned stat) = 0;
};

class CustomAlertViewDelegate {
public:
    virtual ~CustomAlertViewDelegate() = default;
    virtual void CustomAlertView_buttonClicked(CustomAlertView* chooser, unsigned stat) = 0;
};

// The amber of locked quarters.
std::shared_ptr<UIColor> quarterLockColor();
// "TimeHour_left", "TimeHour_midle" or "TimeHour_right" for quarter 0 ... 3,
// with "_down" when forbidden.
NSString quarterImageName(int quarter, bool forbidden);

class CustomButton : public UIView {
public:
    static std::shared_ptr<CustomButton> initWithFrame(CGRect frame);

    unsigned stat() const { return stat_; }
    unsigned editableStat() const { return editableStat_; }
    std::shared_ptr<CustomButtonDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<CustomButtonDelegate>& d) { delegate_ = d; }

    // Stores the mask and repaints: locked quarters amber, the others their
    // allowed or forbidden picture.
    void setButtonState(unsigned stat);
    void setButtonEditableState(unsigned editableStat);
    // The tap rule over the free quarters: one free quarter flips; of several,
    // any forbidden one clears the whole mask, else all free ones become
    // forbidden. A wholly locked hour does not change.
    void setAllEditableButtonState();
    // The lock mask of the first hour of a span starting at the minute (up),
    // or of the last hour of one ending at it.
    static unsigned getStatByMinute(int minute, bool up);

    void setTitle(const NSString& title, UIControlState state) { btn_->setTitle(title, state); }
    void setTitleColor(std::shared_ptr<UIColor> color, UIControlState state) { btn_->setTitleColor(std::move(color), state); }
    void setTitleLabelFont(std::shared_ptr<UIFont> font) { btn_->titleLabel()->font = std::move(font); }
    UIButton* btn() const { return btn_.get(); }
    UIImageView* quarterView(int quarter) const { return quarters_[quarter].get(); }

private:
    void initUI();
    void btnClicked(const id& sender);
    void btnLongPress(const id& recognizer);

    std::shared_ptr<UIImageView> quarters_[4];
    std::shared_ptr<UIButton> btn_;
    unsigned stat_ = 0;
    unsigned editableStat_ = 0;
    std::weak_ptr<CustomButtonDelegate> delegate_;
};

// The chooser: quarter buttons "15", "30", "45", "60" (tags 1 ... 4, selected =
// forbidden) and OK (tag 5). It has no alert buttons of its own, so its tags
// meet none.
class CustomAlertView : public UIAlertView {
public:
    static std::shared_ptr<CustomAlertView> init(const std::shared_ptr<UIAlertViewDelegate>& delegate);

    std::weak_ptr<CustomAlertViewDelegate> mdelegate;
    unsigned editableState = 0;

    void buttonClicked(const id& sender);
    void okClicked(const id& sender);
    void setButtonSelectedWithState(unsigned stat);
    void setButtonSelectedAtIndex(int tag);
    UIButton* quarterButton(int tag) const;

private:
    void build();
    void paintLocked(UIButton* button);
};

class TimeLimitQuarterView;

class TimeLimitQuarterViewDelegate {
public:
    virtual ~TimeLimitQuarterViewDelegate() = default;
};

// A panel on the "TimeHourBg" pattern with OK and Cancel, which do nothing.
class TimeLimitQuarterView : public UIView {
public:
    static std::shared_ptr<TimeLimitQuarterView> initWithFrame(CGRect frame);
    std::weak_ptr<TimeLimitQuarterViewDelegate> delegate;
    void btnOkClicked() {}
    void btnCancelClicked() {}

private:
    void initUI();
};
