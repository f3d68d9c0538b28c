#pragma once
// The help: seven full-screen pages turned sideways, with a page indicator;
// pulling on past the last page ends it. ImageDataView names the pages'
// images (the guide images use them too).

#include <memory>
#include <vector>

#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UIViewController.h"
#include "ui/DotPageControl.h"

class ImageDataView : public NSObject {
public:
    static std::shared_ptr<ImageDataView> init();
    // "<prefix>1.png" ... "<prefix>7.png", the prefix being the text of
    // `imgDataview_img`.
    std::vector<NSString> imgArray;
};

class HelpViewController : public UIViewController, public UIScrollViewDelegate {
public:
    static constexpr int kPages = 7;
    // How far past the last page a pull must reach to end the help.
    static constexpr CGFloat kEndPull = 100;

    std::shared_ptr<ImageDataView> imageData;
    std::shared_ptr<UIScrollView> scrollView;  // outlet of the interface file
    DotPageControl* pageControl() const { return pageControl_.get(); }
    UIAlertView* theEndAlert() const { return theEndAlert_.get(); }
    bool ended() const { return ended_; }

    void viewDidLoad() override;
    void pageControlClicked(const id& sender);
    void scrollViewDidScroll(UIScrollView* sv) override;
    void scrollViewDidEndScrollingAnimation(UIScrollView* sv) override;
    void endAlertViewDismiss();

private:
    std::shared_ptr<DotPageControl> pageControl_;
    std::shared_ptr<UIAlertView> theEndAlert_;
    // The help ends once, however long the pull goes on.
    bool ended_ = false;
};

// Ends a help or guide screen: the closing message for 1.0 s and the view
// curled away from its superview.
std::shared_ptr<UIAlertView> endGuideScreen(UIViewController* screen, const NSString& message);
