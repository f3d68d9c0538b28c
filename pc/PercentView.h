#pragma once
// One row of the statistics screens: a coloured bar whose length is the
// share, the share as "12.50%", and the name. The caller sets frame, title,
// colour and percent, then adds the view (which loads the interface file).
// PercentWithLabel draws a comparable bar in code.

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIViewController.h"

class PercentView : public UIViewController {
public:
    // Outlets of the interface file; colorLabel's width there is the full bar.
    std::shared_ptr<UILabel> percentLabel, colorLabel, processBack, titleLabel, buttonTitle;
    std::shared_ptr<UIButton> titleButton;

    std::shared_ptr<UIColor> color;
    NSString title;
    double percent = 0;
    CGRect frame = CGRectZero;
    std::weak_ptr<NSObject> delegate;

    // The share shown, with two decimals and a per-cent sign.
    static NSString percentText(double percent);

    void viewDidLoad() override;
    void viewDidUnload() override;
    void labelClick(const id&) {}
};

class PercentWithLabel : public NSObject {
public:
    // A bar in a container of the frame: a grey track, the bar of the share
    // (shares over 100 count as 100) with the caption inside it, and the
    // share's text to the right.
    static std::shared_ptr<UIView> initWithFrame(CGRect frame, const std::shared_ptr<UIColor>& color, double percent,
                                                 const NSString& label);
};
