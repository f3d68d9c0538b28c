#pragma once
// The parts a table draws itself: the cells' standard accessories, the
// editing mode's delete control, the row's Delete button and the section
// header made from a title. Each is a view of its own, so it takes the
// finger where it is drawn.

#include "platform/uikit/UITableView.h"

// The disclosure indicator (a grey chevron), the detail-disclosure button (a
// blue disc with a white chevron, which tells the table when tapped) and the
// checkmark.
class UITableViewCellAccessory : public UIView {
public:
    static std::shared_ptr<UITableViewCellAccessory> initWithType(UITableViewCellAccessoryType type);
    UITableViewCellAccessoryType type() const { return type_; }
    void drawRect(CGRect rect) override;
    void touchesBegan(const NSSetOfTouches& t, UIEvent* e) override;
    void touchesEnded(const NSSetOfTouches& t, UIEvent* e) override;

private:
    UITableViewCellAccessoryType type_ = UITableViewCellAccessoryNone;
};

// The red disc with a white bar left of a row in editing mode; the bar turns
// upright while the row's Delete button is out.
class UITableViewCellEditControl : public UIView {
public:
    static constexpr CGFloat kWidth = 32;
    void drawRect(CGRect rect) override;
    void touchesBegan(const NSSetOfTouches& t, UIEvent* e) override;
    void touchesEnded(const NSSetOfTouches& t, UIEvent* e) override;
};

// The red "Delete" button at the row's right end.
class UITableViewCellDeleteButton : public UIView {
public:
    static std::shared_ptr<UITableViewCellDeleteButton> make();
    static NSString title() { return "Delete"; }
    void drawRect(CGRect rect) override;
    void touchesBegan(const NSSetOfTouches& t, UIEvent* e) override;
    void touchesEnded(const NSSetOfTouches& t, UIEvent* e) override;
};

// A section's header made from the data source's title: in a plain table a
// grey gradient band with the title in white bold, in a grouped one the title
// in dark slate bold over the group.
class UITableViewHeaderLabel : public UIView {
public:
    static std::shared_ptr<UITableViewHeaderLabel> make(const NSString& title, UITableViewStyle style);
    UILabel* label() const { return label_.get(); }
    void layoutSubviews() override;
    void drawRect(CGRect rect) override;

private:
    std::shared_ptr<UILabel> label_;
    UITableViewStyle style_ = UITableViewStylePlain;
};
