#pragma once
// A drawn page indicator: one dot per page, the current one in the "on"
// colour, the others in the "off" colour, filled or outlined by type. It sizes
// itself from its page count; a tap on its left or right half steps to the
// previous or next page and sends value-changed.

#include "platform/uikit/UIControl.h"

class DotPageControl : public UIControl {
public:
    DotPageControl() { setBackgroundColor(UIColor::clearColor()); }
    // The rectangle given is not used: the size follows the page count.
    static std::shared_ptr<DotPageControl> initWithFrame(CGRect frame);
    static std::shared_ptr<DotPageControl> init() { return initWithFrame(CGRectZero); }
    static std::shared_ptr<DotPageControl> initWithType(int type);

    int numberOfPages() const { return numberOfPages_; }
    void setNumberOfPages(int count);
    int currentPage() const { return currentPage_; }
    void setCurrentPage(int page);
    bool hidesForSinglePage() const { return hidesForSinglePage_; }
    void setHidesForSinglePage(bool hides);
    bool defersCurrentPageDisplay() const { return defersCurrentPageDisplay_; }
    void setDefersCurrentPageDisplay(bool defers) { defersCurrentPageDisplay_ = defers; }
    void updateCurrentPageDisplay();
    // 0 filled/filled, 1 filled/outlined, 2 outlined/filled, 3 outlined/outlined
    // (current/others); any other value as 2.
    int type() const { return type_; }
    void setType(int type);
    std::shared_ptr<UIColor> onColor() const { return onColor_; }
    void setOnColor(std::shared_ptr<UIColor> c);
    std::shared_ptr<UIColor> offColor() const { return offColor_; }
    void setOffColor(std::shared_ptr<UIColor> c);
    CGFloat indicatorDiameter() const { return indicatorDiameter_; }
    void setIndicatorDiameter(CGFloat d);
    CGFloat indicatorSpace() const { return indicatorSpace_; }
    void setIndicatorSpace(CGFloat s);

    CGSize sizeForNumberOfPages(int count) const;
    // The origin is kept; the size always follows the page count.
    void setFrame(CGRect frame) override;
    void setBounds(CGRect bounds) override;

    void drawRect(CGRect rect) override;
    void touchesEnded(const NSSetOfTouches& touches, UIEvent* event) override;

private:
    CGFloat diameter() const { return indicatorDiameter_ > 0 ? indicatorDiameter_ : 4; }
    CGFloat space() const { return indicatorSpace_ > 0 ? indicatorSpace_ : 12; }
    int numberOfPages_ = 0;
    int currentPage_ = 0;
    bool hidesForSinglePage_ = false;
    bool defersCurrentPageDisplay_ = false;
    int type_ = 0;
    std::shared_ptr<UIColor> onColor_, offColor_;
    CGFloat indicatorDiameter_ = 0;
    CGFloat indicatorSpace_ = 0;
};
