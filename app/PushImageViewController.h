#pragma once
// The guide: the help images one at a time, turned by swipes that the screen
// recognises from raw touches; a forward swipe on the last image ends it.

#include <atomic>
#include <memory>

#include "app/HelpViewController.h"
#include "platform/uikit/UIControl.h"

class PushImageViewController : public UIViewController {
public:
    static constexpr NSInteger kImageTag = 101;
    static constexpr CGFloat kMiddleX = 160, kMiddleY = 240, kSwipeDistance = 100;

    std::shared_ptr<ImageDataView> imageData;
    std::shared_ptr<UIImageView> imgView;
    // The image shown; one set before the view loads is kept within the images.
    int Page() const { return page_; }
    void setPage(int page) { page_ = page; }
    bool ended() const { return ended_; }
    UIAlertView* theEndAlert() const { return theEndAlert_.get(); }

    void viewDidLoad() override;
    void touchesBegan(const NSSetOfTouches& touches, UIEvent* event) override;
    void touchesMoved(const NSSetOfTouches& touches, UIEvent* event) override;
    void touchesEnded(const NSSetOfTouches& touches, UIEvent* event) override;
    void ChangeImage();
    void endAlertViewDismiss();

private:
    void changePage();
    NSString imageName() const { return imageData->imgArray[page_]; }

    std::shared_ptr<UIAlertView> theEndAlert_;
    CGPoint firstPoint_{}, secondPoint_{};
    std::atomic<int> page_{0};
    bool touchMove_ = false;
    bool ended_ = false;
};
