#pragma once
// A zoomable scroll view around one aspect-fit image view; a pinch comes to
// rest on a whole zoom step that the picture's width still allows.

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIScrollView.h"

class MyScrollView : public UIScrollView, public UIScrollViewDelegate {
public:
    static std::shared_ptr<MyScrollView> initWithFrame(CGRect frame);

    // The image goes into the image view; image() stays nil.
    std::shared_ptr<UIImage> image() const { return image_; }
    void setImage(const std::shared_ptr<UIImage>& image) { imageView_->setImage(image); }
    const std::shared_ptr<UIImageView>& imageView() const { return imageView_; }
    void setImageView(std::shared_ptr<UIImageView> v) { imageView_ = std::move(v); }

    std::shared_ptr<UIView> viewForZoomingInScrollView(UIScrollView* sv) override { return imageView_; }
    void scrollViewDidEndZooming_withView_atScale(UIScrollView* sv, UIView* view, CGFloat scale) override;
    // Touches that begin here go nowhere.
    void touchesBegan(const NSSetOfTouches&, UIEvent*) override {}

private:
    std::shared_ptr<UIImage> image_;
    std::shared_ptr<UIImageView> imageView_;
};
