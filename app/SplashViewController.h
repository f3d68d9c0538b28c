#pragma once
// The first screen: the product's picture, name and version and a spinning
// indicator; after 3.0 s it hands over to the application delegate and fades.

#include <memory>

#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIViewController.h"

class SplashViewController : public UIViewController {
public:
    static constexpr NSTimeInterval kHandOverDelay = 3.0;

    void loadView() override;
    // The timer's action: the delegate's firstTime and initView, then the fade.
    void fadeScreen();
    // The fade's end: the view back to full opacity, the indicator stopped.
    void finishedFading();

    UIActivityIndicatorView* activeIndicator() const { return activeIndicator_.get(); }

private:
    std::shared_ptr<NSTimer> timer_;
    std::shared_ptr<UIActivityIndicatorView> activeIndicator_;
};
